#include "app/main_frame.h"

#include <shellapi.h>

#include <new>

#include "app/about_dlg.h"
#include "data/clock_win.h"
#include "data/file_system_win.h"
#include "data/notifier_win.h"
#include "framework/commands.h"
#include "framework/ui_language_win.h"
#include "res/resource.h"

namespace sopora {

// Registered before the application starts: the shell broadcasts it when the
// taskbar is (re)created, for instance after Explorer restarts.
const UINT g_uTaskbarCreatedMsg = RegisterWindowMessageW(L"TaskbarCreated");

namespace {
constexpr const wchar_t* FRAME_CLASS = L"SoporaFrame";
constexpr UINT WM_POLICY_CHANGED = WM_APP + 0x22;

// The help page beside the program, with whatever the user's shell opens
// pages with; a missing page or viewer shows the shell's own message, if any.
void OpenHelp(const DataPath& helpFile) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.hwnd = GetDesktopWindow();
  info.lpVerb = L"open";
  info.lpFile = helpFile.c_str();
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&info);
}
}  // namespace

struct CommandTable {
  static constexpr CommandEntry<CMainFrame> entries[] = {
      {ID_TRAY_EXIT, &CMainFrame::OnExit},         {ID_PAUSE_RESUME, &CMainFrame::OnPauseResume},
      {ID_SHOW_SETTINGS, &CMainFrame::OnShowSettings}, {ID_SHOW_LOG, &CMainFrame::ShowLog},
      {ID_HELP_PAGE, &CMainFrame::OnHelp},         {ID_APP_EXIT, &CMainFrame::OnAppExit},
      {ID_APP_ABOUT, &CMainFrame::OnAppAbout},     {ID_SHOW_HISTORY, &CMainFrame::OnShowHistory},
  };
};

CMainFrame::CMainFrame(const DataFilePaths& paths)
    : m_paths(paths),
      m_ini(m_paths.iniFile),
      m_dataStore(Win32Files(), Win32MessageBox(), Win32LocalClock(), m_paths),
      m_eventLog(m_eventSource, m_settings, IsEventSourceRegistered()),
      m_log(m_dataStore, Win32LocalClock(), UiText()),
      m_policyReader(m_policySource, m_log),
      m_dlgLog(m_log, [this] { OnShowHistory(); }),
      m_dlgHistory(*this, m_settings),
      m_failureLog(m_log),
      m_dayBookFile(Win32Files(), Win32MessageBox(), Win32LocalClock(), m_log, m_paths.dayBookFile, m_paths.writable),
      m_exceptions(m_dataStore, Win32Files(), m_paths.wndFile, m_windows, m_log),
      m_sampler(m_settings, m_counterApi, m_log),
      m_otherSessions(m_sessionSource, m_settings, m_log),
      m_keepAwakeRequests(m_powerApi, m_settings),
      m_soundPlaying(m_audioOutputs, m_settings, m_log),
      m_userInput(m_lastInput, m_monitor),
      m_days(Win32LocalClock(), m_monotonic, m_dayBookFile, [this] { return m_otherSessions.OwnSessionCounts(); }),
      m_power(m_settings, m_log, m_powerApi, m_rebootPrompt, m_monitor, *this, m_tray, &m_days),
      m_tray(m_log),
      m_dlgSettings(m_settings, m_policy, m_monitor, *this, m_paths),
      m_monitor(m_settings, IdleMonitorServices{*this,
                                                m_sampler,
                                                m_exceptions,
                                                m_tray,
                                                m_dlgSettings,
                                                m_log,
                                                m_power,
                                                {&m_otherSessions, &m_keepAwakeRequests, &m_soundPlaying,
                                                 &m_userInput},
                                                &m_days}) {
  m_log.SetEventLog(&m_eventLog);
  SetUnexpectedFailureHandler([this](const char* what) { m_failureLog.Report(what); });
}

CMainFrame::~CMainFrame() {
  SetUnexpectedFailureHandler(nullptr);
  ReleaseSystemWide();
}

bool CMainFrame::LoadFrame() {
  if (!RegisterWindowClass(FRAME_CLASS, 0, nullptr, nullptr)) return false;
  UniqueMenu menu(LoadUiMenu(IDR_MAINFRAME));
  const RECT rect{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
  if (!CreateEx(0, FRAME_CLASS, UiString(IDR_MAINFRAME).c_str(), WS_OVERLAPPEDWINDOW, rect, nullptr, menu.Get())) {
    return false;
  }
  menu.Release();  // the window destroys its menu with it
  return true;
}

bool CMainFrame::RouteToDialogs(MSG& message) {
  for (const HWND dialog : {m_dlgSettings.m_hWnd, m_dlgLog.m_hWnd, m_dlgHistory.m_hWnd}) {
    if (dialog && IsDialogMessageW(dialog, &message)) return true;
  }
  return false;
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INPUT_ACTIVITY) m_userInput.OnHookReport();
  if (message == WM_INPUT_UNREPORTED) {
    m_userInput.OnUnreportedInput(wParam == static_cast<WPARAM>(UnreportedInput::PointerJitter)
                                      ? UnreportedInput::PointerJitter
                                      : UnreportedInput::Other);  // what it cannot name counts as input
    return 0;
  }
  if (message == g_uTaskbarCreatedMsg && g_uTaskbarCreatedMsg != 0) {
    OnTaskbarCreated();
    return 0;
  }
  switch (message) {
    case WM_CREATE:
      return OnCreate();
    case WM_SETFOCUS:
      if (m_wndView.m_hWnd) SetFocus(m_wndView.m_hWnd);
      return 0;
    case WM_SIZE:
      if (m_wndView.m_hWnd) MoveWindow(m_wndView.m_hWnd, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_TIMER:
      if (wParam == TIMER_SHUTDOWN_CHECK) {
        m_power.OnShutdownCheck();
      } else {
        m_monitor.OnTimer(static_cast<unsigned>(wParam));
      }
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);  // the main window is gone: the program ends
      return 0;
    case WM_COMMAND:
      if (DispatchCommand(*this, CommandTable::entries, LOWORD(wParam))) return 0;
      break;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_QUERYENDSESSION:
      return OnQueryEndSession();
    case WM_ENDSESSION:
      m_power.OnEndSession(wParam != FALSE);
      // Once the session really ends, Windows may end the program without
      // closing the window: no hooks and no listener are left behind.
      if (wParam) {
        StopListening();
        m_days.Save();
      }
      return 0;
    case WM_TRAY_NOTIFY:
      OnTrayNotify(lParam);
      return 0;
    case WM_POWERBROADCAST:
      if (wParam == PBT_APMSUSPEND) m_days.OnSuspend();
      if (wParam == PBT_APMRESUMEAUTOMATIC) m_days.OnResume();
      return m_power.OnPowerBroadcast(wParam);
    case WM_POLICY_CHANGED:
      m_policyWatch.Rearm();  // before reading, so no change in between is missed
      OnPolicyChanged();
      return 0;
    case WM_SETTINGCHANGE:
      // Group Policy's word that it has applied a policy.
      if (lParam && lstrcmpiW(reinterpret_cast<const wchar_t*>(lParam), L"Policy") == 0) OnPolicyChanged();
      break;
    default:
      break;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

int CMainFrame::OnCreate() {
  if (!m_wndView.Create(m_hWnd)) return -1;
  LoadSettings();
  m_power.RefreshCapabilities();

  m_dlgLog.Create(m_hWnd);  // hidden until asked for; it lists what was loaded with the frame
  // Before this run's first line: the last run's lines tell whether Sopora
  // switched the machine off.
  const std::optional<SystemTime> shutdown =
      SoporaShutdownBefore(m_log.Records(), Format(UiText(), IDS_LOG_SHUTDOWN_ATTEMPT));
  if (shutdown) m_days.CountOff(*shutdown);
  m_log.AddLog(LOG_INFO, IDS_LOG_INITIALISING);
  if (!m_paths.writable) m_log.AddLog(LOG_ERROR, IDS_LOG_NO_WRITABLE_FOLDER);
  // Without a processor load the program cannot work; start-up still runs
  // to its end, and the message loop then takes the quit request.
  if (!m_sampler.SetUpCounterQueries()) PostQuitMessage(0);

  m_dlgSettings.Create(m_hWnd);
  m_log.AddLog(LOG_INFO, IDS_LOG_COUNTER_RESET);
  m_monitor.RestartMonitor();
  m_log.AddLog(LOG_INFO, IDS_LOG_TIMER_STARTED);

  m_tray.LoadIcons();
  // Hooks inside programs of a lower integrity level (sandboxed viewers,
  // protected-mode browsers) may only post their two messages to us if we
  // let them through.
  for (const UINT hookMessage : {WM_INPUT_ACTIVITY, WM_INPUT_UNREPORTED}) {
    ChangeWindowMessageFilterEx(m_hWnd, hookMessage, MSGFLT_ALLOW, nullptr);
  }
  if (m_input.Publish(m_hWnd)) {
    m_pHook.reset(new (std::nothrow) CSoporaHook(m_hWnd));
    m_log.AddLog(LOG_INFO, IDS_LOG_HOOKS_STARTED);
  } else {
    m_log.AddLog(LOG_ERROR, IDS_LOG_HOOKS_NOT_STARTED);
  }
  m_log.AddLog(LOG_INFO, IDS_LOG_STARTED);
  m_tray.AddTrayIcon(m_hWnd);
  m_policyWatch.Start(m_hWnd, WM_POLICY_CHANGED);
  m_power.WarnIfMethodUnavailable();  // after the usual lines, the first the user reads
  return 0;
}

void CMainFrame::LoadSettings() {
  m_userSettings = ReadMonitorSettings(m_ini);
  m_policy = m_policyReader.Read();
  m_settings = ApplyPolicy(m_userSettings, m_policy);
}

void CMainFrame::OnPolicyChanged() {
  Policy policy = m_policyReader.Read();
  if (policy == m_policy) return;  // Group Policy rewrites values unchanged at every refresh
  m_policy = std::move(policy);
  m_log.AddLog(LOG_INFO, IDS_LOG_POLICY_CHANGED);
  const MonitorSettings effective = ApplyPolicy(m_userSettings, m_policy);
  const bool settingsChanged = effective != m_settings;
  m_settings = effective;
  m_dlgSettings.ShowSettings();
  if (settingsChanged) {
    m_monitor.RestartMonitor();
    m_power.OnSettingsSaved();
  }
  ApplyTrayPolicy();
}

// Forbidden to pause, Sopora does not stay paused either.
void CMainFrame::ApplyTrayPolicy() {
  if (!m_policy.allowPause && !m_monitor.m_bMonitoring) m_monitor.OnPauseResume();
}

// OK and 更新 of the settings dialog: all the settings go to Sopora.ini and
// the count starts again, so every save, even one that changes nothing,
// restarts the run.
bool CMainFrame::SaveSettings() {
  const bool saved = WriteSettingsFile();
  m_monitor.RestartMonitor();
  m_power.OnSettingsSaved();
  return saved;
}

void CMainFrame::RefreshPowerCapabilities() { m_power.RefreshCapabilities(); }

MessageId CMainFrame::MethodUnavailableReason(std::int32_t method) const { return m_power.UnavailableReason(method); }

void CMainFrame::OnClose() {
  m_days.Save();
  ReleaseSystemWide();
  DestroyWindow();
}

void CMainFrame::ReleaseSystemWide() {
  StopListening();
  m_tray.DeleteTrayIcon();
}

void CMainFrame::StopListening() {
  m_pHook.reset();  // its destructor removes the hooks from every process
  m_input.Withdraw();
}

BOOL CMainFrame::OnQueryEndSession() {
  m_log.AddLog(LOG_WINDOWS_ENDING, IDS_LOG_WINDOWS_ENDING);
  return TRUE;
}

void CMainFrame::OnTaskbarCreated() { m_tray.AddTrayIcon(m_hWnd); }

void CMainFrame::OnTrayNotify(LPARAM mouseMessage) {
  if (mouseMessage == WM_LBUTTONUP) OnPauseResume();
  if (mouseMessage == WM_RBUTTONUP) OpenCommandMenu();
  if (mouseMessage == NIN_BALLOONUSERCLICK && m_tray.BalloonOpensSettings()) OnShowSettings();
}

void CMainFrame::OpenCommandMenu() {
  const UniqueMenu menu(LoadUiMenu(IDR_TRAY_MENU));
  const HMENU popup = menu ? GetSubMenu(menu.Get(), 0) : nullptr;
  if (!popup) return;
  POINT cursor;
  GetCursorPos(&cursor);
  SetForegroundWindow(m_hWnd);
  CheckMenuItem(popup, ID_PAUSE_RESUME, MF_BYCOMMAND | (m_monitor.m_bMonitoring ? MF_UNCHECKED : MF_CHECKED));
  // Only the user's choices are withheld: the commands themselves still
  // work, so the installer's request to end Sopora is always carried out.
  EnableMenuItem(popup, ID_PAUSE_RESUME, MF_BYCOMMAND | (m_policy.allowPause ? MF_ENABLED : MF_GRAYED));
  EnableMenuItem(popup, ID_TRAY_EXIT, MF_BYCOMMAND | (m_policy.allowExit ? MF_ENABLED : MF_GRAYED));
  TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, m_hWnd, nullptr);
  // Lets the menu close properly when the user clicks elsewhere next time.
  PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

void CMainFrame::OnPauseResume() {
  if (m_policy.allowPause) m_monitor.OnPauseResume();
}

void CMainFrame::OnShowSettings() { m_dlgSettings.ShowWindow(SW_SHOW); }

void CMainFrame::ShowLog() { m_dlgLog.ShowWindow(SW_SHOW); }

// Created the first time it is asked for: until then it costs nothing.
void CMainFrame::OnShowHistory() {
  if (!m_dlgHistory.m_hWnd) m_dlgHistory.Create(m_hWnd);
  m_dlgHistory.Open();
}

DayBook CMainFrame::CurrentDayBook() { return m_days.CurrentDayBook(); }

// The draw is no monitoring setting: the run goes on undisturbed.
bool CMainFrame::SaveAwakeWatts(std::int32_t watts) {
  m_settings.Watts = watts;
  m_userSettings.hasWatts = true;
  return WriteSettingsFile();
}

// Only the user's own values are stored; the policy's stay in effect.
bool CMainFrame::WriteSettingsFile() {
  KeepUserValues(m_settings, m_policy, m_userSettings);
  const bool saved = SaveMonitorSettings(Win32Files(), m_paths.iniFile, [](const DataPath& iniFile) {
    return std::make_unique<Win32IniStore>(iniFile);
  }, m_userSettings);
  m_settings = ApplyPolicy(m_userSettings, m_policy);
  return saved;
}

void CMainFrame::OnHelp() {
  OpenHelp(CurrentUiLanguage() == UiLanguage::Japanese ? m_paths.helpFile : m_paths.englishHelpFile);
}

void CMainFrame::OnExit() {
  m_log.AddLog(LOG_INFO, IDS_LOG_EXITING);
  PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

void CMainFrame::OnAppExit() { SendMessageW(m_hWnd, WM_CLOSE, 0, 0); }

void CMainFrame::OnAppAbout() {
  CAboutDlg about(m_paths.iniFile.parent_path());
  about.DoModal(nullptr);
}

void CMainFrame::SetTimer(unsigned id, unsigned periodMs) { ::SetTimer(m_hWnd, id, periodMs, nullptr); }
void CMainFrame::KillTimer(unsigned id) { ::KillTimer(m_hWnd, id); }

}  // namespace sopora
