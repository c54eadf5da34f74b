#include "app/sopora_app.h"

#include <commctrl.h>

#include "app/about_dlg.h"

namespace sopora {

bool CSoporaApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS |
                                                     ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  m_mutex.Reset(CreateMutexW(nullptr, TRUE, SINGLE_INSTANCE_MUTEX));
  if (GetLastError() == ERROR_ALREADY_EXISTS) return false;  // silently: the running one carries on

  m_pMainWnd = std::make_unique<CMainFrame>();
  if (!m_pMainWnd->LoadFrame()) return false;
  ShowWindow(m_pMainWnd->m_hWnd, SW_HIDE);
  UpdateWindow(m_pMainWnd->m_hWnd);
  return true;
}

int CSoporaApp::Run() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Keyboard navigation for the two modeless dialogs.
    const HWND dialogs[] = {m_pMainWnd->m_dlgSettings.m_hWnd, m_pMainWnd->m_dlgLog.m_hWnd};
    bool handled = false;
    for (HWND dialog : dialogs) handled = handled || (dialog && IsDialogMessageW(dialog, &message));
    if (handled) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // Also on the paths that end without closing the window (no processor
  // counter, or a quit from outside): no hooks and no tray icon stay behind.
  m_pMainWnd.reset();
  return static_cast<int>(message.wParam);
}

void CSoporaApp::OnAppAbout() {
  CAboutDlg about;
  about.DoModal(nullptr);
}

}  // namespace sopora
