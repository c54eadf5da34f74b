#include "dialogs/settings_dlg.h"

#include "res/resource.h"

CSettingsDlg::CSettingsDlg() : CDialog(IDD_SETTINGS) {}

void CSettingsDlg::UpdateMeters() {}
