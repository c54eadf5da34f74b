// CSettingsDlg: the settings dialog with the live load display. It keeps
// no copy of the settings: it reads and writes the program's own.
#pragma once

#include "data/data_paths.h"
#include "data/monitor_settings.h"
#include "data/policy.h"
#include "dialogs/load_meter_drawing.h"
#include "dialogs/load_meter_win.h"
#include "framework/dialog.h"
#include "monitor/idle_monitor.h"

namespace sopora {

// What the dialog asks of the program around it.
class SettingsHost {
 public:
  virtual ~SettingsHost() = default;
  // Stores the settings in Sopora.ini and starts the idle count again,
  // with the new values in effect even when the file could not be written;
  // false then.
  virtual bool SaveSettings() = 0;
  virtual void ShowLog() = 0;
  // Asks the machine again what it can do (hibernation may have been
  // switched on since the last time).
  virtual void RefreshPowerCapabilities() = 0;
  // Why the method cannot be done on this machine, as last asked; 0 when it
  // can. The answer the power action and its log lines go by.
  virtual MessageId MethodUnavailableReason(std::int32_t method) const = 0;
};

class CSettingsDlg : public CDialog, public LiveDisplay {
 public:
  // `status` gives the live figures; `paths` the exception list the
  // registration dialog edits; `policy` the settings the user may not change.
  CSettingsDlg(MonitorSettings& settings, const Policy& policy, const StatusSource& status, SettingsHost& host,
               const DataFilePaths& paths);

  // Shows the settings in effect in the fields, and which of them a policy
  // sets; after a change of policy too.
  void ShowSettings();

  // Refreshes the graph, the two figures, the three bars and the status
  // line from the monitoring state; called every tick, shown or not.
  void UpdateMeters() override;
  // Stores what the fields hold (cut to their maxima) and restarts
  // monitoring.
  // False, after telling the user, when Sopora.ini could not be written.
  bool ApplySettings();

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void OnCheckBox(int id);
  void EnableTrafficBar(int barId, int checkId, bool monitored);
  void ShowManagedFields();
  void AddTooltips();
  void OnExceptWindows();
  void FillMethodList();
  void ShowMethodReason();
  void DrawMethodItem(const DRAWITEMSTRUCT& item) const;

  MonitorSettings& m_settings;
  const Policy& m_policy;
  const StatusSource& m_status;
  SettingsHost& m_host;
  const DataFilePaths& m_paths;
  HICON m_hIcon;  // shared resource icon
  CLoadMeter m_meter;
  LoadMeterStyle m_style;
  HWND m_tooltip = nullptr;
  LONG m_designedHeight = 0;  // the window's height without the line about managed settings
  Message m_statusLine;  // as shown, so an unchanged line is not drawn again
};

}  // namespace sopora
