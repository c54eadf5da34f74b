// CSoporaApp: one running instance, its hidden main window and the
// message loop.
#pragma once

#include <windows.h>

#include <memory>

#include "app/main_frame.h"
#include "framework/win_handles.h"

namespace sopora {

inline constexpr const wchar_t* SINGLE_INSTANCE_MUTEX = L"SOPORA VANTREX";

class CSoporaApp {
 public:
  // False when the program should end at once: another instance runs, or
  // the main window cannot be created.
  bool InitInstance();
  int Run();
  static void OnAppAbout();

 private:
  UniqueKernelHandle m_mutex;  // held, and so the name taken, for the whole run
  std::unique_ptr<CMainFrame> m_pMainWnd;
};

}  // namespace sopora
