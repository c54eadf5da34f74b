// The power transition when the machine has been idle long enough, and the
// reaction to the system's power broadcasts.
#pragma once

#include <cstdint>
#include <optional>

#include "data/operation_log.h"
#include "monitor/idle_monitor.h"
#include "monitor/power_api.h"

namespace sopora {

inline constexpr std::uintptr_t PBT_APMQUERYSUSPEND_EVENT = 0;
inline constexpr std::uintptr_t PBT_APMRESUMESUSPEND_EVENT = 7;
inline constexpr const char* SHUTDOWN_PRIVILEGE = "SeShutdownPrivilege";
inline constexpr const char* SHELL_SHUTDOWN_COMMAND = "rundll32 shell32.dll,SHExitWindowsEx 1";
// Sopora still running this long after asking for a shutdown: it did not
// happen.
inline constexpr unsigned TIMER_SHUTDOWN_CHECK = 1002;
inline constexpr unsigned SHUTDOWN_CHECK_MS = 60000;

// Runs the restart confirmation; true when the restart should go ahead.
class RebootPrompt {
 public:
  virtual ~RebootPrompt() = default;
  virtual bool ConfirmReboot() = 0;
};

// Told of the sleeps Sopora starts itself, so they are told apart from
// the user's.
class SleepObserver {
 public:
  virtual ~SleepObserver() = default;
  virtual void SoporaSleeps(PowerMethod method) = 0;
  virtual void SoporaSleepRefused() = 0;
};

struct SuspendMethod;

class PowerController : public PowerTransition {
 public:
  // `monitor` is restarted before standby or hibernation (with Retry), on
  // resume and after a shutdown that did not happen; `timers` watch for that.
  PowerController(const MonitorSettings& settings, OperationLog& log, PowerApi& power, RebootPrompt& prompt,
                  MonitorRestart& monitor, MonitorTimers& timers, TrayPictures& tray, SleepObserver* sleeps = nullptr);

  // The configured action; one the machine (or the user) is known not to
  // be able to perform is not attempted: the reason is logged and shown at
  // the tray icon (once until the settings or the capabilities change) and
  // the count starts again, as Retry would.
  void DoPowerAction() override;
  std::optional<PowerMethod> PlannedMethod() const override;

  // Asks the machine what it can do: at start-up, when the settings dialog
  // is shown, and before every power action, since hibernation may have
  // been switched on meanwhile. An action that becomes possible is logged.
  void RefreshCapabilities();
  const PowerCapabilities& Capabilities() const { return m_capabilities; }
  // Why the method cannot be done on this machine as last asked; 0 when it
  // can (or when that is not known).
  MessageId UnavailableReason(std::int32_t method) const;
  // After the start-up lines: one error line when the configured action
  // cannot be performed here, so the user reads it before a failed night.
  void WarnIfMethodUnavailable();
  // The settings were stored: a reason already logged may be logged again.
  void OnSettingsSaved() { m_unavailableLogged = false; }
  // WM_POWERBROADCAST; always answers 0.
  std::intptr_t OnPowerBroadcast(std::uintptr_t event);
  // WM_ENDSESSION: FALSE after a shutdown Sopora asked for means a program
  // (or the user) stopped it; TRUE, that it is happening.
  void OnEndSession(bool ending);
  // TIMER_SHUTDOWN_CHECK.
  void OnShutdownCheck();

  bool IsNtPlatform();
  bool EnableShutdownPrivilege(const char* name, bool enable);
  // Shutdown on the non-NT family, through the shell.
  void ShellExitWindows();
  // Forced restart.
  void RebootSystem();

 private:
  void Suspend(const SuspendMethod& method);
  void SkipUnavailable(MessageId action, MessageId reason);
  void LogRefusal(MessageId action, PowerRequestResult result);
  void OfferReboot();
  void Shutdown(bool nt);
  void ShutdownDidNotHappen();

  const MonitorSettings& m_settings;
  OperationLog& m_log;
  PowerApi& m_power;
  RebootPrompt& m_prompt;
  MonitorRestart& m_monitor;
  MonitorTimers& m_timers;
  TrayPictures& m_tray;
  SleepObserver* m_sleeps;
  PowerCapabilities m_capabilities;  // unknown until read: every action is tried, as before
  bool m_unavailableLogged = false;
  bool m_countdownOpen = false;
  bool m_shutdownRequested = false;  // asked for, and Sopora still runs
};

}  // namespace sopora
