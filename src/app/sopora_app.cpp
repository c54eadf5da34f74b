#include "app/sopora_app.h"

#include <commctrl.h>

#include "data/monitor_settings.h"
#include "data/file_system_win.h"
#include "data/ini_store_win.h"
#include "data/policy_source_win.h"
#include "framework/ui_language_win.h"

namespace sopora {

bool CSoporaApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS |
                                                     ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  m_mutex.Reset(CreateMutexW(nullptr, TRUE, SINGLE_INSTANCE_MUTEX));
  // Silently: the running one carries on.
  if (AnotherInstanceRuns(static_cast<bool>(m_mutex), GetLastError())) return false;

  Win32DataFolders folders;
  const DataFilePaths paths = LocateDataFiles(folders);
  // Before the first window and the first log line, which speak it.
  Win32IniStore ini(paths.iniFile);
  MonitorSettings language;
  language.Language = ReadLanguageSetting(ini);
  struct : OperationLog {
    void AddLog(std::int32_t, const Message&) override {}  // the main window's reading logs what is wrong
  } unlogged;
  Win32PolicySource policySource;
  language = ApplyPolicy(language, PolicyReader(policySource, unlogged).Read());
  SetUiLanguage(ChooseUiLanguage(language.Language, GetUserDefaultUILanguage()));
  m_pMainWnd = std::make_unique<CMainFrame>(paths);
  if (!m_pMainWnd->LoadFrame()) return false;
  ShowWindow(m_pMainWnd->m_hWnd, SW_HIDE);
  UpdateWindow(m_pMainWnd->m_hWnd);
  return true;
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
