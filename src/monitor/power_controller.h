// The power transition when the machine has been idle long enough, and the
// reaction to the system's power broadcasts.
#pragma once

#include <cstdint>

#include "data/operation_log.h"
#include "monitor/idle_monitor.h"
#include "monitor/power_api.h"

namespace sopora {

inline constexpr std::uintptr_t PBT_APMQUERYSUSPEND_EVENT = 0;
inline constexpr std::uintptr_t PBT_APMRESUMESUSPEND_EVENT = 7;
inline constexpr const char* SHUTDOWN_PRIVILEGE = "SeShutdownPrivilege";
inline constexpr const char* SHELL_SHUTDOWN_COMMAND = "rundll32 shell32.dll,SHExitWindowsEx 1";

// Runs the restart confirmation; true when the restart should go ahead.
class RebootPrompt {
 public:
  virtual ~RebootPrompt() = default;
  virtual bool ConfirmReboot() = 0;
};

class PowerController : public PowerTransition {
 public:
  // `monitor` is restarted before standby or hibernation (with Retry) and
  // on resume.
  PowerController(const MonitorSettings& settings, OperationLog& log, PowerApi& power, RebootPrompt& prompt,
                  MonitorRestart& monitor);

  void DoPowerAction() override;
  // WM_POWERBROADCAST; always answers 0.
  std::intptr_t OnPowerBroadcast(std::uintptr_t event);

  bool IsNtPlatform();
  bool EnableShutdownPrivilege(const char* name, bool enable);
  // Shutdown on the non-NT family, through the shell.
  void ShellExitWindows();
  // Forced restart.
  void RebootSystem();

 private:
  void Suspend(bool hibernate, const char* attempt, const char* failure);
  void LogRefusal(const char* action, PowerRequestResult result);
  void OfferReboot();

  const MonitorSettings& m_settings;
  OperationLog& m_log;
  PowerApi& m_power;
  RebootPrompt& m_prompt;
  MonitorRestart& m_monitor;
  bool m_countdownOpen = false;
};

}  // namespace sopora
