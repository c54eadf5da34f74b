#include "dialogs/except_wnd_dlg.h"

#include <commctrl.h>

#include "data/clock_win.h"
#include "data/file_system_win.h"
#include "data/notifier_win.h"
#include "dialogs/except_list_logic.h"
#include "dialogs/list_view_win.h"
#include "monitor/exception_windows.h"
#include "framework/ui_language_win.h"
#include "framework/win_handles.h"
#include "res/resource.h"

namespace sopora {

namespace {
constexpr DWORD PATTERN_LIST_EXTENDED_STYLE = 0x520;  // full-row select, flat bars, info tips

// Notifications answer 0 to the list.
INT_PTR NotificationHandled(HWND dialog) {
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
  return TRUE;
}
}  // namespace

CExceptWndEditDlg::CExceptWndEditDlg() : CDialog(IDD_EXCEPT_WND_EDIT) {}

BOOL CExceptWndEditDlg::OnInitDialog() {
  SetItemText(IDC_PATTERN_EDIT, m_text);
  return TRUE;
}

void CExceptWndEditDlg::OnOK() {
  // No check here: an empty text is the caller's to drop.
  m_text = PatternText(GetItemText(IDC_PATTERN_EDIT));
  CDialog::OnOK();
}

BOOL CTitleListDlg::OnInitDialog() {
  m_list = GetDlgItem(IDC_PATTERN_LIST);
  SetUpSingleColumnList(m_list, UiString(IDS_COLUMN_APPLICATION).c_str(), PATTERN_LIST_EXTENDED_STYLE);
  FillList();
  return TRUE;
}

void CTitleListDlg::FillList() {
  std::vector<ExceptWndEntry> titles;
  LoadTitles(titles);
  ReplaceLinesWithTitles(m_list, titles);
}

CRunningAppsDlg::CRunningAppsDlg() : CTitleListDlg(IDD_RUNNING_APPS) {}

void CRunningAppsDlg::LoadTitles(std::vector<ExceptWndEntry>& titles) { EnumTopWindows(m_windows, titles); }

void CRunningAppsDlg::OnOK() {
  const int line = FirstSelectedLine(m_list);
  m_result = line < 0 ? std::string() : LineText(m_list, line);
  CDialog::OnOK();
}

INT_PTR CRunningAppsDlg::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom == IDC_PATTERN_LIST && header->code == NM_DBLCLK) {
      OnOK();  // a double click chooses, as the button does
      return NotificationHandled(m_hWnd);
    }
  }
  return CDialog::DialogProc(message, wParam, lParam);
}

CExceptWndDlg::CExceptWndDlg(const DataFilePaths& paths)
    : CTitleListDlg(IDD_EXCEPT_WND), m_store(Win32Files(), Win32MessageBox(), Win32LocalClock(), paths) {}

void CExceptWndDlg::LoadTitles(std::vector<ExceptWndEntry>& titles) {
  m_loadFailed = !IsRead(m_store.LoadExceptWnd(titles));  // its messages may come up here
}

int CExceptWndDlg::Ask(const Message& message, UINT buttons) const {
  return MessageBoxW(m_hWnd, UiMessage(message).c_str(), UiString(IDS_APP_TITLE).c_str(), buttons);
}

// The file gets the lines in the order the list shows them. Another Sopora
// may have saved its own list meanwhile (a second user, say), or the list
// could not be read when the dialog opened: the user decides whether this
// list replaces the file's, turns to the file's list, or goes back to the
// edits. A list that cannot be written stays here.
bool CExceptWndDlg::SaveList() {
  const std::vector<ExceptWndEntry> entries = EntriesFromLines(AllLineTexts(m_list));
  SaveOutcome outcome = m_store.SaveExceptWnd(entries);
  if (outcome == SaveOutcome::ChangedElsewhere) {
    const MessageId question = m_loadFailed ? IDS_LIST_NOT_READ_SAVE : IDS_LIST_CHANGED_ELSEWHERE;
    switch (Ask(question, MB_YESNOCANCEL | MB_ICONQUESTION)) {
      case IDYES:
        outcome = m_store.SaveExceptWnd(entries, true);
        break;
      case IDNO:
        FillList();  // what is on disk now, to go on from
        return false;
      default:
        return false;  // back to the edits
    }
  }
  if (outcome == SaveOutcome::Saved) return true;
  Ask(IDS_LIST_NOT_SAVED, MB_OK | MB_ICONWARNING);
  return false;
}

void CExceptWndDlg::OnOK() {
  if (SaveList()) CDialog::OnOK();
}

void CExceptWndDlg::AddEntryText(const std::string& text) {
  if (text.empty()) return;
  if (ListView_GetItemCount(m_list) >= static_cast<int>(EXCEPT_WND_ENTRY_LIMIT)) {
    Ask(PatternLimitText(), MB_OK | MB_ICONWARNING);  // more could not be loaded again
    return;
  }
  InsertTextLine(m_list, text);
}

void CExceptWndDlg::OnListRClick(int hitItem) {
  POINT cursor;
  GetCursorPos(&cursor);
  const UniqueMenu menu(LoadUiMenu(IDR_EXCEPT_MENU));
  const HMENU popup = menu ? GetSubMenu(menu.Get(), 0) : nullptr;
  if (!popup) return;
  SetForegroundWindow(m_hWnd);
  if (hitItem < 0) {  // no line under the cursor: nothing to edit or delete
    EnableMenuItem(popup, ID_EDIT_ENTRY, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(popup, ID_DELETE_ENTRY, MF_BYCOMMAND | MF_GRAYED);
  }
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, cursor.x, cursor.y, 0, m_hWnd, nullptr);
}

void CExceptWndDlg::OnEditEntry() {
  const int line = FirstSelectedLine(m_list);
  if (line < 0) return;
  CExceptWndEditDlg editor;
  editor.SetTitleText(LineText(m_list, line));
  if (editor.DoModal(m_hWnd) != IDOK) return;  // owned: the list cannot change under the editor
  ListView_DeleteItem(m_list, line);
  AddEntryText(editor.GetTitleText());  // an emptied text removes the pattern
}

void CExceptWndDlg::OnAddManual() {
  CExceptWndEditDlg editor;
  if (editor.DoModal(m_hWnd) == IDOK) AddEntryText(editor.GetTitleText());
}

void CExceptWndDlg::OnAddRunning() {
  CRunningAppsDlg running;  // owned, so this dialog is not among the windows it lists
  if (running.DoModal(m_hWnd) == IDOK) AddEntryText(running.GetSelectedTitle());
}

void CExceptWndDlg::OnDeleteEntry() {
  const int line = FirstSelectedLine(m_list);
  if (line >= 0) ListView_DeleteItem(m_list, line);
}

INT_PTR CExceptWndDlg::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->idFrom == IDC_PATTERN_LIST && header->code == NM_RCLICK) {
      OnListRClick(reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem);
      return NotificationHandled(m_hWnd);
    }
    if (header->idFrom == IDC_PATTERN_LIST && header->code == NM_DBLCLK) {
      OnEditEntry();
      return NotificationHandled(m_hWnd);
    }
  }
  if (message == WM_COMMAND) {
    switch (LOWORD(wParam)) {
      case ID_ADD_MANUAL:
        OnAddManual();
        return TRUE;
      case ID_ADD_RUNNING:
        OnAddRunning();
        return TRUE;
      case ID_EDIT_ENTRY:
        OnEditEntry();
        return TRUE;
      case ID_DELETE_ENTRY:
        OnDeleteEntry();
        return TRUE;
      default:
        break;
    }
  }
  return CDialog::DialogProc(message, wParam, lParam);
}

}  // namespace sopora
