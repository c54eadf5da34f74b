// CMainFrame: the hidden main window. It owns everything that lives for the
// run and connects the monitoring engine to the platform: its timers, the
// notification-area icon, the dialogs and the input hooks.
#pragma once

#include <windows.h>

#include <memory>

#include "app/client_view.h"
#include "app/input_listener_win.h"
#include "app/tray_icon.h"
#include "data/data_paths.h"
#include "data/clock_win.h"
#include "data/data_store.h"
#include "data/day_book_file.h"
#include "data/event_log_win.h"
#include "data/monitor_settings.h"
#include "data/operation_log.h"
#include "data/policy.h"
#include "data/policy_source_win.h"
#include "data/ini_store_win.h"
#include "dialogs/history_dlg.h"
#include "dialogs/log_dlg.h"
#include "dialogs/reboot_dlg.h"
#include "dialogs/settings_dlg.h"
#include "framework/window.h"
#include "hooklib/SoporaHook.h"
#include "monitor/activity_sources_win.h"
#include "monitor/core_audio_win.h"
#include "monitor/day_counter.h"
#include "monitor/exception_windows.h"
#include "monitor/idle_monitor.h"
#include "monitor/keep_awake_requests.h"
#include "monitor/load_sampler.h"
#include "monitor/pdh_counters_win.h"
#include "monitor/power_api_win.h"
#include "monitor/other_sessions.h"
#include "monitor/power_controller.h"
#include "monitor/sound_playing.h"
#include "monitor/user_input.h"
#include "monitor/window_source_win.h"

namespace sopora {

extern const UINT g_uTaskbarCreatedMsg;

class CMainFrame : public CWnd, private MonitorTimers, private SettingsHost, private HistoryHost {
 public:
  // `paths`: where the data files are, decided once at start-up.
  explicit CMainFrame(const DataFilePaths& paths);
  ~CMainFrame() override;

  // Creates the hidden window with menu 128; its creation runs the whole
  // start-up sequence.
  bool LoadFrame();
  // Keyboard navigation for the modeless dialogs; true when the message
  // was theirs.
  bool RouteToDialogs(MSG& message);

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
  // Reads the policy again and, when it changed, puts it into effect as a
  // saved setting would be.
  void OnPolicyChanged();
  void ApplyTrayPolicy();
  bool SaveSettings() override;
  // Sopora.ini as m_settings holds it; false when it could not be saved.
  bool WriteSettingsFile();
  void ShowLog() override;
  void OnShowHistory();
  DayBook CurrentDayBook() override;
  bool AwakeWattsManaged() const override { return m_policy.Manages("Watts"); }
  bool SaveAwakeWatts(std::int32_t watts) override;
  void RefreshPowerCapabilities() override;
  MessageId MethodUnavailableReason(std::int32_t method) const override;
  void OpenCommandMenu();
  // Removes the hooks and the tray icon; safe to call more than once.
  void ReleaseSystemWide();
  // Removes the hooks, then the mapping through which they find this window.
  void StopListening();

  void SetTimer(unsigned id, unsigned periodMs) override;
  void KillTimer(unsigned id) override;

  // Built in this order: the paths and the settings, the platform seams,
  // the data files and the log, what watches and acts, the tray and the
  // settings dialog, the monitor, then the window parts. The power
  // controller is handed the tray and the monitor, built after it, and
  // keeps them only for later calls. Members go in reverse: the hooks
  // before the mapping.
  DataFilePaths m_paths;
  Win32IniStore m_ini;
  MonitorSettings m_userSettings;  // as Sopora.ini holds them
  Policy m_policy;
  MonitorSettings m_settings;  // in effect: the user's, with the policy's in their place
  Win32PolicySource m_policySource;
  PolicyChangeWatch m_policyWatch;
  Win32CounterApi m_counterApi;
  Win32PowerApi m_powerApi;
  Win32WindowSource m_windows;
  Win32SessionSource m_sessionSource;
  Win32LastInput m_lastInput;
  Win32AudioOutputs m_audioOutputs;
  Win32MonotonicClock m_monotonic;
  RebootConfirmation m_rebootPrompt;
  CDataStore m_dataStore;  // both data files; the log's records too
  Win32EventSource m_eventSource;
  EventLogWriter m_eventLog;
  LogBook m_log;
  PolicyReader m_policyReader;
  CLogDlg m_dlgLog;
  CHistoryDlg m_dlgHistory;
  UnexpectedFailureLog m_failureLog;
  DayBookFile m_dayBookFile;
  ExceptionWindowDetector m_exceptions;
  LoadSampler m_sampler;
  OtherSessions m_otherSessions;
  KeepAwakeRequests m_keepAwakeRequests;
  SoundPlaying m_soundPlaying;
  UserInput m_userInput;
  DayCounter m_days;
  PowerController m_power;
  CTrayIcon m_tray;
  CSettingsDlg m_dlgSettings;
  IdleMonitor m_monitor;
  CClientView m_wndView;
  InputListener m_input;
  std::unique_ptr<CSoporaHook> m_pHook;  // after m_input: the hooks go first
};

}  // namespace sopora
