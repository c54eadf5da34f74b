// Dialogs from resource templates in the program's language, modeless (Create, then shown and hidden)
// or modal (DoModal), with the usual OK and Cancel behaviour: a modeless
// dialog is only hidden, a modal one ends.
#pragma once

#include <windows.h>

#include <string>

namespace sopora {

class CDialog {
 public:
  explicit CDialog(UINT templateId) : m_templateId(templateId) {}
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  bool Create(HWND parent);
  INT_PTR DoModal(HWND parent = nullptr);
  void EndDialog(INT_PTR result);

  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  LRESULT SendItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendDlgItemMessageW(m_hWnd, id, message, wParam, lParam);
  }
  // CP932 text of a control.
  void SetItemText(int id, const std::string& text) const;
  std::string GetItemText(int id) const;
  void ShowWindow(int command) const { ::ShowWindow(m_hWnd, command); }

  HWND m_hWnd = nullptr;

 protected:
  virtual BOOL OnInitDialog() { return TRUE; }
  virtual void OnOK();
  virtual void OnCancel();
  // Messages of the dialog; return TRUE when handled (and set the result
  // with SetWindowLongPtrW(DWLP_MSGRESULT) where one is needed).
  virtual INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static INT_PTR CALLBACK StaticDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

  UINT m_templateId;
  bool m_modal = false;
};

}  // namespace sopora
