// CSoporaApp: one running instance, its hidden main window and the
// message loop.
#pragma once

#include <windows.h>

#include <filesystem>
#include <memory>

#include "app/main_frame.h"
#include "framework/win_handles.h"

namespace sopora {

inline constexpr const wchar_t* SINGLE_INSTANCE_MUTEX = L"SOPORA VANTREX";

// What CreateMutexW's outcome says about another instance. A mutex held by
// an instance started with more rights cannot even be opened: access is
// denied, and that instance is running all the same.
constexpr bool AnotherInstanceRuns(bool created, unsigned long lastError) {
  constexpr unsigned long ALREADY_EXISTS = 183, ACCESS_DENIED = 5;
  return created ? lastError == ALREADY_EXISTS : lastError == ACCESS_DENIED;
}

class CSoporaApp {
 public:
  // False when the program should end at once: another instance runs, this
  // is not the machine's install for every user but there is one, or the
  // main window cannot be created.
  bool InitInstance();
  int Run();

 private:
  static void GiveWayToAllUsersInstall(const std::filesystem::path& program, const DataFilePaths& paths);

  UniqueKernelHandle m_mutex;  // held, and so the name taken, for the whole run
  std::unique_ptr<CMainFrame> m_pMainWnd;
};

}  // namespace sopora
