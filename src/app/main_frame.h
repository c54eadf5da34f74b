// CMainFrame: the hidden main window. It owns everything that lives for the
// run and connects the monitoring engine to the platform: its timers, the
// notification-area icon, the dialogs and the input hooks.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>

#include "app/client_view.h"
#include "data/data_store.h"
#include "data/win32_services.h"
#include "dialogs/log_dlg.h"
#include "dialogs/settings_dlg.h"
#include "framework/win_handles.h"
#include "framework/window.h"
#include "hooklib/SoporaHook.h"
#include "monitor/idle_monitor.h"
#include "monitor/load_sampler.h"
#include "monitor/pdh_counters_win.h"
#include "monitor/power_api_win.h"
#include "monitor/power_controller.h"

namespace sopora {

inline constexpr UINT WM_TRAY_NOTIFY = 0x1401;  // WM_USER + 0x1001
inline constexpr UINT TRAY_ICON_ID = 0x1FF;

extern const UINT g_uTaskbarCreatedMsg;

class CMainFrame : public CWnd,
                   private MonitorTimers,
                   private LoadSource,
                   private ExceptionWindowTest,
                   private TrayPictures,
                   private LiveDisplay,
                   private PowerTransition,
                   private RebootPrompt {
 public:
  CMainFrame();
  ~CMainFrame() override;

  // Creates the hidden window with menu 128; its creation runs the whole
  // start-up sequence.
  bool LoadFrame();

  // Writes the settings to Sopora.ini and restarts monitoring.
  void SaveSettings();
  void OnShowLog();

  // Members the dialogs reach. The engine parts hold the settings and the
  // monitoring state under their usual names (m_monitor.CPUBorder,
  // m_monitor.m_nLowLoadCount, m_sampler.m_bCpuByIdleProcess, ...). They
  // are declared in the order they depend on each other.
  Win32IniStore m_ini;
  Win32CounterApi m_counterApi;
  Win32PowerApi m_powerApi;
  CLogDlg m_dlgLog;
  CDataStore m_dataStore;
  IdleMonitor m_monitor;
  LoadSampler m_sampler;
  PowerController m_power;
  CSettingsDlg m_dlgSettings;
  CClientView m_wndView;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  friend struct CommandTable;

  int OnCreate();
  void OnClose();
  BOOL OnQueryEndSession();
  void OnTrayNotify(LPARAM mouseMessage);
  void OnTaskbarCreated();
  void OnPauseResume();
  void OnShowSettings();
  void OnHelp();
  void OnExit();
  void OnAppExit();
  void OnAppAbout();

  void LoadSettings();
  void LoadTrayIcons();
  void AddTrayIcon();
  void DeleteTrayIcon();
  void ModifyTrayIcon(HICON icon);
  void OpenCommandMenu();
  // Removes the hooks and the tray icon; safe to call more than once.
  void ReleaseSystemWide();

  // Seams of the engine.
  void SetTimer(unsigned id, unsigned periodMs) override;
  void KillTimer(unsigned id) override;
  double ReadCpuLoad() override;
  std::int32_t ReadNetworkLoad() override;
  std::int32_t ReadDiskLoad() override;
  bool IsExceptWindowPresent() override;
  void ShowNormalIcon() override;
  void ShowPausedIcon() override;
  void ShowExceptIcon() override;
  void UpdateMeters() override;
  void DoPowerAction() override;
  bool ConfirmReboot() override;

  std::unique_ptr<CSoporaHook> m_pHook;
  NOTIFYICONDATAW m_nidTray{};
  bool m_trayIconAdded = false;
  UniqueIcon m_hIconNormal;
  UniqueIcon m_hIconPaused;
  UniqueIcon m_hIconExcept;
};

}  // namespace sopora
