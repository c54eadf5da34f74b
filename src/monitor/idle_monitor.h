// The monitoring tick: samples the loads, keeps the processor-load history,
// asks every source of activity, counts consecutive idle ticks and hands
// over to the power transition once the machine has been idle long enough.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "data/monitor_settings.h"
#include "data/operation_log.h"
#include "monitor/activity.h"

namespace sopora {

inline constexpr unsigned TIMER_MONITOR = 1000;
inline constexpr unsigned TIMER_BLINK = 1001;
inline constexpr unsigned BLINK_PERIOD_MS = 500;
inline constexpr std::int32_t LOW_LOAD_REPORT_PERCENT = 30;

// Timers of the main window.
class MonitorTimers {
 public:
  virtual ~MonitorTimers() = default;
  virtual void SetTimer(unsigned id, unsigned periodMs) = 0;
  virtual void KillTimer(unsigned id) = 0;
};

// The three samples; a sample that cannot be read is -1.
class LoadSource {
 public:
  virtual ~LoadSource() = default;
  virtual double ReadCpuLoad() = 0;          // percent
  virtual std::int32_t ReadNetworkLoad() = 0;  // segments per second, 0 when not measured
  virtual std::int32_t ReadDiskLoad() = 0;     // 1000 bytes per second, 0 when not measured
  // The processor is measured as 100 - the idle process (its curve is drawn
  // in another colour).
  virtual bool CpuByIdleProcess() const = 0;
};

class ExceptionWindowTest {
 public:
  virtual ~ExceptionWindowTest() = default;
  // The title of an open window that matches a registered pattern; nothing
  // when there is none.
  virtual std::optional<std::string> ExceptWindowTitle() = 0;
};

// The notification-area icon: its three pictures, and a notification.
class TrayPictures {
 public:
  virtual ~TrayPictures() = default;
  virtual void ShowNormalIcon() = 0;
  virtual void ShowPausedIcon() = 0;
  virtual void ShowExceptIcon() = 0;
  // A notification under the program's name. False when the shell did not
  // take it (the taskbar is being recreated).
  virtual bool ShowNotification(const Message& text) = 0;
  // The same, for something the user settles in the settings dialog: a
  // click on it opens the dialog.
  virtual bool ShowSettingsNotification(const Message& text) = 0;
  // Withdraws the notification, once the action it announced is off.
  virtual void HideNotification() = 0;
};

// The settings dialog's graph and meters, refreshed every tick.
class LiveDisplay {
 public:
  virtual ~LiveDisplay() = default;
  virtual void UpdateMeters() = 0;
};

class PowerTransition {
 public:
  virtual ~PowerTransition() = default;
  // Performs the configured action; returns when done or refused.
  virtual void DoPowerAction() = 0;
  // The action DoPowerAction would attempt; none when it would attempt none
  // (an unknown method, or one this machine cannot perform).
  virtual std::optional<PowerMethod> PlannedMethod() const = 0;
};

// Starting the idle count again, for the power transition (Retry, resume).
class MonitorRestart {
 public:
  virtual ~MonitorRestart() = default;
  virtual void RestartMonitor() = 0;
};

// What the live display shows, as of the last tick.
struct MonitorStatus {
  std::vector<std::int32_t> cpuHistory;  // oldest first
  bool cpuByIdleProcess = false;
  std::int32_t netLoad = 0;
  std::int32_t diskLoad = 0;
  std::int32_t lowLoadCount = 0;  // before the tick's own step, as the bar shows it
  Message line;                   // what holds the count, or how far the run has come
};

class StatusSource {
 public:
  virtual ~StatusSource() = default;
  virtual MonitorStatus Status() const = 0;
};

// Told the status line's message at every tick, before any power action,
// so what held the machine awake is named exactly as the user reads it.
class TickObserver {
 public:
  virtual ~TickObserver() = default;
  virtual void OnTick(const Message& status) = 0;
};

struct IdleMonitorServices {
  MonitorTimers& timers;
  LoadSource& loads;
  ExceptionWindowTest& exceptions;
  TrayPictures& tray;
  LiveDisplay& display;
  OperationLog& log;
  PowerTransition& power;
  // Asked at every tick after the exception windows, in the order the
  // status line names them; the load comes last.
  std::vector<ActivitySource*> sources = {};
  TickObserver* tickObserver = nullptr;
};

// The monitoring state, named as the main window's members; it reads the
// settings at every use, so an apply takes effect at once.
class IdleMonitor : public MonitorRestart, public StatusSource, public IdleRun {
 public:
  IdleMonitor(const MonitorSettings& settings, const IdleMonitorServices& services);

  std::deque<std::int32_t> m_arCpuHistory;  // processor load in percent, oldest first
  bool m_bMonitoring = true;                // false while the user has paused monitoring
  bool m_bExceptWnd = false;                // an exception window was found at the last tick
  std::int32_t m_nLowLoadCount = 0;         // consecutive low-load ticks
  std::int32_t m_nNetLoad = 0;              // network sample of the last tick
  std::int32_t m_nDiskLoad = 0;             // disk sample of the last tick
  bool m_bNormalIconShown = true;           // blink phase: the state picture is showing

  // Ticks of low load before the power action: MAXTime x 60 / Interval, and
  // at least 1 so that a hand-edited file can neither divide by zero nor
  // act on the first tick of a run that has not been low at all.
  std::int32_t TargetTicks() const;

  // Stops and restarts the monitoring timer with T zeros of history and a
  // zero count.
  void RestartMonitor() override;

  void OnTimer(unsigned timerId);
  void OnInputActivity() override;
  // The tray's pause/resume toggle.
  void OnPauseResume();

  MonitorStatus Status() const override;

 private:
  void MonitorTick();
  void BlinkStep();
  void ShowStateIcon();
  void UpdateExceptionHold(bool present);
  Activity LoadActivity(std::int32_t cpu) const;
  Message StatusLine(const std::optional<std::string>& exceptWindow, const std::vector<Activity>& activities) const;
  void CountTick(const std::vector<Activity>& activities);
  void StartRunAgain();
  void WarnBeforeActing();

  const MonitorSettings& m_settings;
  IdleMonitorServices m_services;
  Message m_statusLine;
  bool m_warned = false;  // the notification of this run was shown
  bool m_inTick = false;  // a tick in progress (its message box or power call may pump messages)
};

// The load-report line of a busy tick that ends a long low-load run. Its
// lone ")" is kept: existing logs, and whatever reads them, have it.
Message LoadReport(std::int32_t cpu, std::int32_t network, std::int32_t disk);

// How far the low-load run has come towards the power action, in percent
// of MAXTime x 60 / Interval ticks (not truncated), so a bar can show it.
std::int32_t LowLoadProgressPercent(std::int32_t lowLoadCount, std::int32_t maxTime, std::int32_t interval);

// The tray notification shortly before the action.
Message Warning(PowerMethod method);

}  // namespace sopora
