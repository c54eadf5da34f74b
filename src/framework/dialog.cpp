#include "framework/dialog.h"

#include "framework/text_win.h"
#include "framework/ui_language_win.h"
#include "framework/window.h"

namespace sopora {

CDialog::~CDialog() {
  if (m_hWnd && IsWindow(m_hWnd) && !m_modal) ::DestroyWindow(m_hWnd);
}

bool CDialog::Create(HWND parent) {
  m_modal = false;
  return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), UiDialogTemplate(m_templateId), parent,
                                    StaticDialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

INT_PTR CDialog::DoModal(HWND parent) {
  m_modal = true;
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), UiDialogTemplate(m_templateId), parent, StaticDialogProc,
                                 reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(INT_PTR result) {
  if (m_modal) {
    ::EndDialog(m_hWnd, result);
  } else {
    ::ShowWindow(m_hWnd, SW_HIDE);  // a modeless dialog lives on, hidden
  }
}

void CDialog::SetItemText(int id, const std::string& text) const {
  SetDlgItemTextW(m_hWnd, id, WidenCp932(text).c_str());
}

std::string CDialog::GetItemText(int id) const {
  const HWND control = GetDlgItem(id);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return NarrowCp932(text);
}

void CDialog::OnOK() { EndDialog(IDOK); }

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

INT_PTR CDialog::DialogProc(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        OnOK();
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        OnCancel();
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      OnCancel();
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<CDialog*>(lParam);
    self->m_hWnd = dialog;
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
  }
  auto* self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (!self) return FALSE;

  INT_PTR result = FALSE;
  try {
    result = self->DialogProc(message, wParam, lParam);
  } catch (...) {
    ReportCurrentException();  // nothing may unwind into the dialog manager
    result = FALSE;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
    self->m_hWnd = nullptr;
  }
  return result;
}

}  // namespace sopora
