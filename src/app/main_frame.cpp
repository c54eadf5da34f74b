#include "app/main_frame.h"

#include <cwchar>
#include <new>

#include "app/sopora_app.h"
#include "framework/commands.h"
#include "monitor/reboot_dlg_win.h"
#include "res/resource.h"

namespace sopora {

// Registered before the application starts: the shell broadcasts it when the
// taskbar is (re)created, for instance after Explorer restarts.
const UINT g_uTaskbarCreatedMsg = RegisterWindowMessageW(L"TaskbarCreated");

namespace {
constexpr const wchar_t* FRAME_CLASS = L"SoporaFrame";

HICON LoadSmallIcon(int id) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
}
}  // namespace

struct CommandTable {
  static constexpr CommandEntry<CMainFrame> entries[] = {
      {ID_TRAY_EXIT, &CMainFrame::OnExit},         {ID_PAUSE_RESUME, &CMainFrame::OnPauseResume},
      {ID_SHOW_SETTINGS, &CMainFrame::OnShowSettings}, {ID_SHOW_LOG, &CMainFrame::OnShowLog},
      {ID_HELP_PAGE, &CMainFrame::OnHelp},         {ID_APP_EXIT, &CMainFrame::OnAppExit},
      {ID_APP_ABOUT, &CMainFrame::OnAppAbout},
  };
};

CMainFrame::CMainFrame()
    : m_dataStore(Win32DataStoreServices()),
      m_monitor(IdleMonitorServices{*this, *this, *this, *this, *this, m_dlgLog, *this}),
      m_sampler(m_monitor, m_counterApi, m_dlgLog),
      m_power(m_monitor, m_dlgLog, m_powerApi, *this),
      m_dlgSettings(*this) {}

CMainFrame::~CMainFrame() { ReleaseSystemWide(); }

bool CMainFrame::LoadFrame() {
  if (!RegisterWindowClass(FRAME_CLASS, 0, nullptr, nullptr)) return false;
  wchar_t title[64] = L"Sopora";
  LoadStringW(GetModuleHandleW(nullptr), IDR_MAINFRAME, title, static_cast<int>(std::size(title)));
  const HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
  const RECT rect{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
  if (!CreateEx(0, FRAME_CLASS, title, WS_OVERLAPPEDWINDOW, rect, nullptr, menu)) {
    if (menu) DestroyMenu(menu);
    return false;
  }
  return true;
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  // Keyboard or mouse activity anywhere on the desktop restarts the run.
  if (message == WM_INPUT_ACTIVITY) m_monitor.OnInputActivity();
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
      m_monitor.OnTimer(static_cast<unsigned>(wParam));
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
    case WM_TRAY_NOTIFY:
      OnTrayNotify(lParam);
      return 0;
    case WM_POWERBROADCAST:
      return m_power.OnPowerBroadcast(wParam);
    default:
      break;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

int CMainFrame::OnCreate() {
  if (!m_wndView.Create(m_hWnd)) return -1;
  m_sampler.m_bCpuByIdleProcess = 0;
  m_monitor.m_bNormalIconShown = 1;
  m_monitor.m_nNetLoad = 0;
  m_monitor.m_nDiskLoad = 0;
  LoadSettings();

  m_dlgLog.Create(m_hWnd);  // loads the log: from here on lines reach the file and the list
  m_dlgLog.AddLog(LOG_INFO, "*** Sopora の各機能を初期化します ***");
  // Without a processor load the program cannot work; start-up still runs
  // to its end, and the message loop then takes the quit request.
  if (!m_sampler.SetUpCounterQueries()) PostQuitMessage(0);

  m_dlgSettings.Create(m_hWnd);
  m_dlgLog.AddLog(LOG_INFO, "カウンターリセット");
  m_monitor.RestartMonitor();
  m_dlgLog.AddLog(LOG_INFO, "監視タイマー開始");

  LoadTrayIcons();
  m_pHook.reset(new (std::nothrow) CSoporaHook(m_hWnd));
  m_dlgLog.AddLog(LOG_INFO, "I/Oフック開始");
  m_dlgLog.AddLog(LOG_INFO, "Sopora が起動しました");
  AddTrayIcon();
  return 0;
}

void CMainFrame::LoadSettings() { m_monitor.LoadSettings(m_ini); }

void CMainFrame::SaveSettings() { m_monitor.SaveSettings(m_ini); }

void CMainFrame::OnClose() {
  ReleaseSystemWide();
  m_monitor.m_arCpuHistory.clear();
  m_monitor.m_arCpuHistory.shrink_to_fit();
  DestroyWindow();
}

void CMainFrame::ReleaseSystemWide() {
  m_pHook.reset();  // its destructor removes the hooks from every process
  DeleteTrayIcon();
}

BOOL CMainFrame::OnQueryEndSession() {
  m_dlgLog.AddLog(LOG_WINDOWS_ENDING, "シャットダウンを行います");
  return TRUE;
}

void CMainFrame::LoadTrayIcons() {
  m_hIconNormal.Reset(LoadSmallIcon(IDR_MAINFRAME));
  m_hIconPaused.Reset(LoadSmallIcon(IDI_TRAY_PAUSED));
  m_hIconExcept.Reset(LoadSmallIcon(IDI_TRAY_BLANK));
}

void CMainFrame::AddTrayIcon() {
  m_nidTray = NOTIFYICONDATAW{};
  m_nidTray.cbSize = sizeof m_nidTray;
  m_nidTray.hWnd = m_hWnd;
  m_nidTray.uID = TRAY_ICON_ID;
  m_nidTray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_nidTray.uCallbackMessage = WM_TRAY_NOTIFY;
  m_nidTray.hIcon = m_hIconNormal.Get();
  std::wcscpy(m_nidTray.szTip, L"Sopora");
  m_dlgLog.AddLog(LOG_INFO, "タスクトレイにアイコンを登録しました");
  // Without a taskbar yet this fails; "TaskbarCreated" brings the icon later.
  Shell_NotifyIconW(NIM_ADD, &m_nidTray);
  m_trayIconAdded = true;
}

void CMainFrame::DeleteTrayIcon() {
  if (!m_trayIconAdded) return;
  NOTIFYICONDATAW record{};
  record.cbSize = sizeof record;
  record.hWnd = m_hWnd;
  record.uID = TRAY_ICON_ID;
  Shell_NotifyIconW(NIM_DELETE, &record);
  m_trayIconAdded = false;
}

void CMainFrame::ModifyTrayIcon(HICON icon) {
  m_nidTray.hIcon = icon;
  Shell_NotifyIconW(NIM_MODIFY, &m_nidTray);
}

void CMainFrame::ShowNormalIcon() { ModifyTrayIcon(m_hIconNormal.Get()); }
void CMainFrame::ShowPausedIcon() { ModifyTrayIcon(m_hIconPaused.Get()); }
void CMainFrame::ShowExceptIcon() { ModifyTrayIcon(m_hIconExcept.Get()); }

void CMainFrame::OnTaskbarCreated() { AddTrayIcon(); }

void CMainFrame::OnTrayNotify(LPARAM mouseMessage) {
  if (mouseMessage == WM_LBUTTONUP) OnPauseResume();
  if (mouseMessage == WM_RBUTTONUP) OpenCommandMenu();
}

void CMainFrame::OpenCommandMenu() {
  const UniqueMenu menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAY_MENU)));
  const HMENU popup = menu ? GetSubMenu(menu.Get(), 0) : nullptr;
  if (!popup) return;
  POINT cursor;
  GetCursorPos(&cursor);
  SetForegroundWindow(m_hWnd);
  CheckMenuItem(popup, ID_PAUSE_RESUME, MF_BYCOMMAND | (m_monitor.m_bMonitoring ? MF_UNCHECKED : MF_CHECKED));
  TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, m_hWnd, nullptr);
  // Lets the menu close properly when the user clicks elsewhere next time.
  PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

void CMainFrame::OnPauseResume() { m_monitor.OnPauseResume(); }

void CMainFrame::OnShowSettings() { m_dlgSettings.ShowWindow(SW_SHOW); }

void CMainFrame::OnShowLog() { m_dlgLog.ShowWindow(SW_SHOW); }

void CMainFrame::OnHelp() { m_dataStore.OpenHelp(); }

void CMainFrame::OnExit() {
  m_dlgLog.AddLog(LOG_INFO, "Sopora を終了します");
  PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
}

void CMainFrame::OnAppExit() { SendMessageW(m_hWnd, WM_CLOSE, 0, 0); }

void CMainFrame::OnAppAbout() { CSoporaApp::OnAppAbout(); }

void CMainFrame::SetTimer(unsigned id, unsigned periodMs) { ::SetTimer(m_hWnd, id, periodMs, nullptr); }
void CMainFrame::KillTimer(unsigned id) { ::KillTimer(m_hWnd, id); }
double CMainFrame::ReadCpuLoad() { return m_sampler.ReadCpuLoad(); }
std::int32_t CMainFrame::ReadNetworkLoad() { return m_sampler.ReadNetworkLoad(); }
std::int32_t CMainFrame::ReadDiskLoad() { return m_sampler.ReadDiskLoad(); }
bool CMainFrame::IsExceptWindowPresent() { return m_dataStore.IsExceptWindowPresent(); }
void CMainFrame::UpdateMeters() { m_dlgSettings.UpdateMeters(); }
void CMainFrame::DoPowerAction() { m_power.DoPowerAction(); }

bool CMainFrame::ConfirmReboot() {
  CRebootDlg dialog;
  return dialog.DoModal(nullptr) == IDOK;
}

}  // namespace sopora
