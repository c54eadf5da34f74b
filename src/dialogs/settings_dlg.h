// CSettingsDlg: the settings dialog with the live load display.
#pragma once

#include "framework/dialog.h"

class CMainFrame;

class CSettingsDlg : public CDialog {
 public:
  CSettingsDlg();
  // Refreshes the graph, the two figures and the three bars from the
  // main window's state; called every tick, shown or not.
  void UpdateMeters();
};
