#include "dialogs/reboot_dlg.h"

#include <commctrl.h>

#include "framework/ui_language_win.h"
#include "res/resource.h"

namespace sopora {

CRebootDlg::CRebootDlg() : CDialog(IDD_REBOOT), m_countdown(*this) {}

BOOL CRebootDlg::OnInitDialog() {
  m_countdown.OnInitDialog();
  return TRUE;  // focus to the default button
}

INT_PTR CRebootDlg::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    m_countdown.OnTimer();
    return TRUE;
  }
  return CDialog::DialogProc(message, wParam, lParam);
}

void CRebootDlg::SetProgressRange(int low, int high) {
  SendItemMessage(IDC_REBOOT_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(low, high));
}

void CRebootDlg::SetProgressPos(int position) {
  SendItemMessage(IDC_REBOOT_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(position));
}

void CRebootDlg::SetRemainText(const Message& text) { SetDlgItemTextW(m_hWnd, IDC_REBOOT_REMAIN, UiMessage(text).c_str()); }

void CRebootDlg::StartTimer(unsigned id, unsigned periodMs) { ::SetTimer(m_hWnd, id, periodMs, nullptr); }

void CRebootDlg::Beep(std::uint32_t type) { MessageBeep(type); }

void CRebootDlg::EndDialog(int result) { CDialog::EndDialog(result); }

// No window of the program is showing when the machine wakes up: the
// countdown stands alone, centred and brought to the foreground.
bool RebootConfirmation::ConfirmReboot() {
  CRebootDlg dialog;
  return dialog.DoModal(nullptr) == IDOK;
}

}  // namespace sopora
