// CSettingsDlg: the settings dialog with the live load display. It keeps
// no copy of the settings: it reads and writes the main window's fields.
#pragma once

#include "dialogs/load_meter_drawing.h"
#include "dialogs/load_meter_win.h"
#include "framework/dialog.h"

namespace sopora {

class CMainFrame;

class CSettingsDlg : public CDialog {
 public:
  explicit CSettingsDlg(CMainFrame& frame);

  // Refreshes the graph, the two figures and the three bars from the main
  // window's state; called every tick, shown or not.
  void UpdateMeters();
  // Stores what the fields hold (cut to their maxima) and restarts
  // monitoring.
  void ApplySettings();

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnCheckBox(int id);
  void EnableTrafficBar(int barId, int checkId, bool monitored);
  void AddTooltips();
  void OnExceptWindows();

  CMainFrame& m_frame;
  HICON m_hIcon;  // shared resource icon
  CLoadMeter m_meter;
  LoadMeterStyle m_style;
  HWND m_tooltip = nullptr;
};

}  // namespace sopora
