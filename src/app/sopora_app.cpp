#include "app/sopora_app.h"

#include <commctrl.h>

#include "app/installation_win.h"
#include "data/clock_win.h"
#include "data/data_store.h"
#include "data/file_system_win.h"
#include "data/ini_store_win.h"
#include "data/monitor_settings.h"
#include "data/notifier_win.h"
#include "data/operation_log.h"
#include "data/policy_source_win.h"
#include "framework/ui_language_win.h"
#include "res/resource.h"

namespace sopora {

namespace {

// A policy's Language wins over the user's.
std::string LanguageInEffect(IniStore& ini) {
  MonitorSettings language;
  language.Language = ReadLanguageSetting(ini);
  struct : OperationLog {
    void AddLog(std::int32_t, const Message&) override {}  // the main window's reading logs what is wrong
  } unlogged;
  Win32PolicySource policySource;
  return ApplyPolicy(language, PolicyReader(policySource, unlogged).Read()).Language;
}

}  // namespace

bool CSoporaApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS |
                                                     ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  const std::filesystem::path program = ProgramFile().value_or(std::filesystem::path());
  const AllUsersInstall allUsers = FindAllUsersInstall(program);
  Win32DataFolders folders(allUsers == AllUsersInstall::ThisProgram);
  const DataFilePaths paths = LocateDataFiles(folders);
  // Before the first window and the first log line, which speak it.
  Win32IniStore ini(paths.iniFile);
  SetUiLanguage(ChooseUiLanguage(LanguageInEffect(ini), GetUserDefaultUILanguage()));

  // Before the single-instance check: the shared Sopora may have started
  // first at this sign-in, and this one's start at sign-in still has to go.
  if (allUsers == AllUsersInstall::Another) {
    GiveWayToAllUsersInstall(program, paths);
    return false;
  }

  m_mutex.Reset(CreateMutexW(nullptr, TRUE, SINGLE_INSTANCE_MUTEX));
  // Silently: the running one carries on.
  if (AnotherInstanceRuns(static_cast<bool>(m_mutex), GetLastError())) return false;
  m_pMainWnd = std::make_unique<CMainFrame>(paths);
  if (!m_pMainWnd->LoadFrame()) return false;
  ShowWindow(m_pMainWnd->m_hWnd, SW_HIDE);
  UpdateWindow(m_pMainWnd->m_hWnd);
  return true;
}

// One Sopora a session: the one installed for every user starts at every
// sign-in, so this one no longer does, and says why in its own log.
void CSoporaApp::GiveWayToAllUsersInstall(const std::filesystem::path& program, const DataFilePaths& paths) {
  RemoveOwnStartAtSignIn(program);
  CDataStore store(Win32Files(), Win32MessageBox(), Win32LocalClock(), paths);
  LogBook(store, Win32LocalClock(), UiText()).AddLog(LOG_INFO, IDS_LOG_INSTALLED_FOR_EVERY_USER);
}

int CSoporaApp::Run() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (m_pMainWnd->RouteToDialogs(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  // Also on the paths that end without closing the window (no processor
  // counter, or a quit from outside): no hooks and no tray icon stay behind.
  m_pMainWnd.reset();
  return static_cast<int>(message.wParam);
}

}  // namespace sopora
