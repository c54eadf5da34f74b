#include "monitor/power_controller.h"

#include <iterator>
#include <string>

namespace sopora {

// Standby and hibernation: the line that announces the attempt, and the
// one that says the machine can do it again.
struct SuspendMethod {
  PowerMethod method;
  MessageId attempt;
  MessageId available;
};

namespace {
constexpr SuspendMethod STANDBY = {PowerMethod::Standby, IDS_LOG_STANDBY_ATTEMPT, IDS_LOG_STANDBY_AVAILABLE};
constexpr SuspendMethod HIBERNATION = {PowerMethod::Hibernate, IDS_LOG_HIBERNATION_ATTEMPT,
                                       IDS_LOG_HIBERNATION_AVAILABLE};

bool CanPerform(const PowerCapabilities& capabilities, PowerMethod method) {
  return UnavailableMethodReason(capabilities, static_cast<std::int32_t>(method)) == 0;
}

// The action's name in the lines about a refusal or a skip.
MessageId ActionName(PowerMethod method) {
  switch (method) {
    case PowerMethod::Standby:
      return IDS_ACTION_STANDBY;
    case PowerMethod::Hibernate:
      return IDS_ACTION_HIBERNATION;
    case PowerMethod::Shutdown:
      break;
  }
  return IDS_ACTION_SHUTDOWN;
}
}  // namespace

PowerController::PowerController(const MonitorSettings& settings, OperationLog& log, PowerApi& power,
                                 RebootPrompt& prompt, MonitorRestart& monitor, MonitorTimers& timers,
                                 TrayPictures& tray, SleepObserver* sleeps)
    : m_settings(settings),
      m_log(log),
      m_power(power),
      m_prompt(prompt),
      m_monitor(monitor),
      m_timers(timers),
      m_tray(tray),
      m_sleeps(sleeps) {}

MessageId PowerController::UnavailableReason(std::int32_t method) const {
  return UnavailableMethodReason(m_capabilities, method);
}

bool PowerController::IsNtPlatform() { return m_power.IsNtPlatform(); }

bool PowerController::EnableShutdownPrivilege(const char* name, bool enable) {
  return m_power.AdjustPrivilege(name, enable);
}

void PowerController::ShellExitWindows() { m_power.StartProcess(SHELL_SHUTDOWN_COMMAND); }

void PowerController::LogRefusal(MessageId action, PowerRequestResult result) {
  if (result.accepted) return;
  // Without this line the log would read as if the attempt had gone through.
  m_log.AddLog(LOG_ERROR, Message(IDS_LOG_ACTION_FAILED, {action, std::to_string(result.error)}));
}

void PowerController::Suspend(const SuspendMethod& method) {
  m_log.AddLog(LOG_WARNING, method.attempt);
  if (m_settings.Retry == 1) {
    // Monitoring runs on, so a refused attempt is tried again later.
    m_log.AddLog(LOG_INFO, IDS_LOG_COUNTER_RESET);
    m_monitor.RestartMonitor();
  }
  if (m_sleeps) m_sleeps->SoporaSleeps(method.method);
  const PowerRequestResult result = m_power.Suspend(method.method == PowerMethod::Hibernate);
  if (!result.accepted && m_sleeps) m_sleeps->SoporaSleepRefused();
  LogRefusal(ActionName(method.method), result);
}

void PowerController::RefreshCapabilities() {
  const PowerCapabilities capabilities = m_power.QueryCapabilities();
  if (capabilities == m_capabilities) return;
  // A user who followed the advice (powercfg /hibernate on) is told that
  // it worked; an unknown answer proves nothing either way.
  if (m_capabilities.known && capabilities.known) {
    for (const SuspendMethod* method : {&STANDBY, &HIBERNATION}) {
      if (!CanPerform(m_capabilities, method->method) && CanPerform(capabilities, method->method)) {
        m_log.AddLog(LOG_INFO, method->available);
      }
    }
  }
  m_capabilities = capabilities;
  m_unavailableLogged = false;
}

void PowerController::WarnIfMethodUnavailable() {
  const MessageId reason = UnavailableReason(m_settings.Method);
  if (reason != 0) m_log.AddLog(LOG_ERROR, reason);
}

void PowerController::SkipUnavailable(MessageId action, MessageId reason) {
  if (!m_unavailableLogged) {
    const Message skipped(IDS_LOG_ACTION_SKIPPED, {action, reason});
    m_log.AddLog(LOG_ERROR, skipped);
    // Said where it is seen too: a user who opens neither window learns it.
    m_tray.ShowSettingsNotification(skipped);
    m_log.AddLog(LOG_INFO, IDS_LOG_COUNTER_RESET);
    m_unavailableLogged = true;
  }
  m_monitor.RestartMonitor();  // the machine is not left unmonitored
}

void PowerController::DoPowerAction() {
  RefreshCapabilities();  // the machine may have changed since (hibernation switched on, say)
  const PowerMethod method = static_cast<PowerMethod>(m_settings.Method);
  if (const MessageId reason = UnavailableReason(m_settings.Method); reason != 0) {
    SkipUnavailable(ActionName(method), reason);
    return;
  }
  const bool nt = IsNtPlatform();
  if (nt) EnableShutdownPrivilege(SHUTDOWN_PRIVILEGE, true);
  switch (method) {
    case PowerMethod::Standby:
      Suspend(STANDBY);
      break;
    case PowerMethod::Hibernate:
      Suspend(HIBERNATION);
      break;
    case PowerMethod::Shutdown:
      Shutdown(nt);
      break;
    default:
      m_power.Beep(BEEP_DEFAULT);
      break;
  }
  if (nt) EnableShutdownPrivilege(SHUTDOWN_PRIVILEGE, false);
}

std::optional<PowerMethod> PowerController::PlannedMethod() const {
  if (m_settings.Method < 0 || m_settings.Method >= static_cast<std::int32_t>(std::size(METHOD_NAMES))) return {};
  if (UnavailableReason(m_settings.Method) != 0) return {};
  return static_cast<PowerMethod>(m_settings.Method);
}

// Programs are asked to close, not forced: one with unsaved work stops the
// shutdown, and so does another signed-in user. Sopora then goes on
// monitoring instead of leaving its timer stopped: Windows says so
// (WM_ENDSESSION FALSE), or Sopora is simply still running a minute later.
// ExitWindowsEx is no substitute where InitiateShutdownW exists: from a
// session that is not the console's it can succeed without shutting down.
void PowerController::Shutdown(bool nt) {
  m_log.AddLog(LOG_WARNING, IDS_LOG_SHUTDOWN_ATTEMPT);
  if (!nt) {
    ShellExitWindows();
    return;
  }
  PowerRequestResult result = m_power.StartShutdown(SHUTDOWN_POWEROFF_ONLY, PLANNED_SHUTDOWN_REASON);
  if (!result.accepted && result.error == ERROR_NOT_IMPLEMENTED_CODE) {
    result = m_power.ExitSession(EWX_POWEROFF_FORCEIFHUNG, PLANNED_SHUTDOWN_REASON);
  }
  if (!result.accepted && result.error == ERROR_OTHER_USERS_SIGNED_IN) {
    m_log.AddLog(LOG_WARNING, IDS_LOG_OTHER_USERS_NO_SHUTDOWN);
    m_monitor.RestartMonitor();
    return;
  }
  if (result.error == ERROR_SHUTDOWN_PENDING_CODE) result.accepted = true;  // one is under way already
  LogRefusal(IDS_ACTION_SHUTDOWN, result);
  m_shutdownRequested = true;
  if (result.accepted) {
    m_timers.SetTimer(TIMER_SHUTDOWN_CHECK, SHUTDOWN_CHECK_MS);
  } else {
    ShutdownDidNotHappen();
  }
}

void PowerController::ShutdownDidNotHappen() {
  if (!m_shutdownRequested) return;
  m_shutdownRequested = false;
  m_timers.KillTimer(TIMER_SHUTDOWN_CHECK);
  m_log.AddLog(LOG_WARNING, IDS_LOG_SHUTDOWN_ABANDONED);
  m_monitor.RestartMonitor();
}

void PowerController::OnEndSession(bool ending) {
  if (!ending) {
    ShutdownDidNotHappen();
  } else if (m_shutdownRequested) {
    // Windows is ending: the watch must not call a shutdown that takes
    // longer than a minute abandoned.
    m_shutdownRequested = false;
    m_timers.KillTimer(TIMER_SHUTDOWN_CHECK);
  }
}

void PowerController::OnShutdownCheck() { ShutdownDidNotHappen(); }

void PowerController::RebootSystem() {
  EnableShutdownPrivilege(SHUTDOWN_PRIVILEGE, true);
  const PowerRequestResult result = m_power.ExitSession(EWX_REBOOT_FORCE, PLANNED_SHUTDOWN_REASON);
  EnableShutdownPrivilege(SHUTDOWN_PRIVILEGE, false);
  LogRefusal(IDS_ACTION_RESTART, result);
}

std::intptr_t PowerController::OnPowerBroadcast(std::uintptr_t event) {
  if (event <= 1) {  // PBT_APMQUERYSUSPEND, PBT_APMQUERYSTANDBY
    m_log.AddLog(LOG_ENTERING_POWER_SAVING, IDS_LOG_ENTERING_POWER_SAVING);
  } else if (event == PBT_APMRESUMESUSPEND_EVENT) {
    m_log.AddLog(LOG_RESUMED, IDS_LOG_RESUMED_FROM_POWER_SAVING);
    m_log.AddLog(LOG_INFO, IDS_LOG_COUNTER_RESET);
    m_monitor.RestartMonitor();
    if (m_settings.ResumeReboot == 1) OfferReboot();
  }
  return 0;
}

void PowerController::OfferReboot() {
  // A second resume broadcast during the countdown must not stack another
  // countdown on top of the first.
  if (m_countdownOpen) return;
  m_countdownOpen = true;
  const bool confirmed = m_prompt.ConfirmReboot();
  m_countdownOpen = false;
  if (!confirmed) return;
  m_log.AddLog(LOG_INFO, IDS_LOG_RESTARTING);
  RebootSystem();
}

}  // namespace sopora
