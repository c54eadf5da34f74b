#include "monitor/idle_monitor.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sopora {

namespace {
// The processor sample as a whole percentage, truncated toward zero. A
// value that is no number counts as a failed read.
std::int32_t TruncateCpu(double value) {
  if (std::isnan(value)) return -1;
  constexpr double lowest = std::numeric_limits<std::int32_t>::min();
  constexpr double highest = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(value, lowest, highest));
}

// Interval x 1000 ms, kept within what a window timer accepts.
unsigned TimerPeriodMs(std::int32_t intervalSeconds) {
  const std::int64_t ms = std::int64_t{std::max(intervalSeconds, 1)} * 1000;
  return static_cast<unsigned>(std::min<std::int64_t>(ms, std::numeric_limits<std::int32_t>::max()));
}

// Clears a flag when the scope ends, however it ends.
class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : m_flag(flag) { m_flag = true; }
  ~ScopedFlag() { m_flag = false; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& m_flag;
};

bool Any(const std::vector<Activity>& activities, Activity::Kind kind) {
  return std::any_of(activities.begin(), activities.end(), [&](const Activity& a) { return a.kind == kind; });
}

}  // namespace

Message LoadReport(std::int32_t cpu, std::int32_t network, std::int32_t disk) {
  return Message(IDS_LOG_LOAD_REPORT, {std::to_string(cpu), std::to_string(network), std::to_string(disk)});
}

std::int32_t LowLoadProgressPercent(std::int32_t lowLoadCount, std::int32_t maxTime, std::int32_t interval) {
  const double fullRun = static_cast<double>(maxTime) * 60.0 / static_cast<double>(interval);
  const double percent = static_cast<double>(lowLoadCount) * 100.0 / fullRun;
  if (!std::isfinite(percent)) return 0;  // a hand-edited zero: nothing to show
  return static_cast<std::int32_t>(std::clamp(std::trunc(percent), 0.0, 1000.0));
}

Message Warning(PowerMethod method) {
  switch (method) {
    case PowerMethod::Standby:
      return IDS_WARNING_STANDBY;
    case PowerMethod::Hibernate:
      return IDS_WARNING_HIBERNATION;
    case PowerMethod::Shutdown:
      break;
  }
  return IDS_WARNING_SHUTDOWN;
}

IdleMonitor::IdleMonitor(const MonitorSettings& settings, const IdleMonitorServices& services)
    : m_settings(settings), m_services(services) {}

std::int32_t IdleMonitor::TargetTicks() const {
  const std::int64_t target = std::int64_t{m_settings.MAXTime} * 60 / std::max<std::int64_t>(m_settings.Interval, 1);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(target, 1, std::numeric_limits<std::int32_t>::max()));
}

void IdleMonitor::RestartMonitor() {
  m_services.timers.KillTimer(TIMER_MONITOR);
  m_arCpuHistory.clear();
  m_arCpuHistory.shrink_to_fit();
  m_arCpuHistory.resize(static_cast<std::size_t>(TargetTicks()), 0);
  StartRunAgain();
  m_statusLine = StatusLine(std::nullopt, {});
  m_services.timers.SetTimer(TIMER_MONITOR, TimerPeriodMs(m_settings.Interval));
}

void IdleMonitor::OnTimer(unsigned timerId) {
  if (timerId == TIMER_MONITOR) MonitorTick();
  if (timerId == TIMER_BLINK) BlinkStep();
}

void IdleMonitor::OnInputActivity() { StartRunAgain(); }

void IdleMonitor::StartRunAgain() {
  m_nLowLoadCount = 0;
  if (!m_warned) return;
  m_services.tray.HideNotification();  // the action it announced is off
  m_warned = false;                    // a new run gets its own warning
}

void IdleMonitor::OnPauseResume() {
  if (m_bMonitoring) {
    m_services.log.AddLog(LOG_WARNING, IDS_LOG_PAUSED);
    m_bMonitoring = false;
    m_services.tray.ShowPausedIcon();
  } else {
    RestartMonitor();
    m_services.log.AddLog(LOG_WARNING, IDS_LOG_RESUMED);
    m_bMonitoring = true;
    m_services.tray.ShowNormalIcon();
  }
  m_statusLine = StatusLine(std::nullopt, {});
}

MonitorStatus IdleMonitor::Status() const {
  return {std::vector<std::int32_t>(m_arCpuHistory.begin(), m_arCpuHistory.end()), m_services.loads.CpuByIdleProcess(),
          m_nNetLoad, m_nDiskLoad, m_nLowLoadCount, m_statusLine};
}

void IdleMonitor::MonitorTick() {
  // A message box of the exception-list load, or the power call, runs a
  // message loop inside this tick; a timer message arriving there must not
  // start a second tick on top of the first.
  if (m_inTick) return;
  const ScopedFlag inTick(m_inTick);

  const double cpuValue = m_services.loads.ReadCpuLoad();
  m_nNetLoad = m_services.loads.ReadNetworkLoad();
  m_nDiskLoad = m_services.loads.ReadDiskLoad();
  const std::int32_t cpu = TruncateCpu(cpuValue);

  // The history settles at T + 1 samples: RestartMonitor leaves T zeros.
  if (m_arCpuHistory.size() > static_cast<std::size_t>(TargetTicks())) m_arCpuHistory.pop_front();
  m_arCpuHistory.push_back(cpu);

  const std::optional<std::string> exceptWindow = m_services.exceptions.ExceptWindowTitle();
  UpdateExceptionHold(exceptWindow.has_value());

  // Every source of activity, asked once, the load last.
  std::vector<Activity> activities;
  for (ActivitySource* source : m_services.sources) activities.push_back(source->Ask());
  activities.push_back(LoadActivity(cpu));

  m_statusLine = StatusLine(exceptWindow, activities);
  if (m_services.tickObserver) m_services.tickObserver->OnTick(m_statusLine);
  m_services.display.UpdateMeters();  // sees this tick's samples and the count before it
  CountTick(activities);
  if (!m_bMonitoring || m_bExceptWnd || Any(activities, Activity::Kind::Hold)) StartRunAgain();
  WarnBeforeActing();

  if (m_nLowLoadCount >= TargetTicks()) {
    m_services.timers.KillTimer(TIMER_MONITOR);
    m_services.power.DoPowerAction();
  }
}

void IdleMonitor::UpdateExceptionHold(bool present) {
  if (!present) {
    m_services.timers.KillTimer(TIMER_BLINK);
    m_bExceptWnd = false;
    m_bNormalIconShown = true;
    ShowStateIcon();
    return;
  }
  if (!m_bExceptWnd) m_services.timers.SetTimer(TIMER_BLINK, BLINK_PERIOD_MS);
  m_bExceptWnd = true;
}

// A tick is low when all three loads are strictly below their thresholds;
// a busy one names the first load that is not.
Activity IdleMonitor::LoadActivity(std::int32_t cpu) const {
  Message status;
  if (cpu >= m_settings.CPUBorder) {
    status = Message(IDS_STATUS_CPU_BUSY, {std::to_string(cpu)});
  } else if (m_nNetLoad >= m_settings.NETBorder) {
    status = Message(IDS_STATUS_NETWORK_BUSY, {std::to_string(m_nNetLoad)});
  } else if (m_nDiskLoad >= m_settings.DISKBorder) {
    status = Message(IDS_STATUS_DISK_BUSY, {std::to_string(m_nDiskLoad)});
  } else {
    return {};
  }
  return {Activity::Kind::Busy, status, LoadReport(cpu, m_nNetLoad, m_nDiskLoad)};
}

// What holds the count at this tick, the first that applies: a pause, an
// exception window, then the sources in their order, the load last; else
// how far the run has come.
Message IdleMonitor::StatusLine(const std::optional<std::string>& exceptWindow,
                                const std::vector<Activity>& activities) const {
  if (!m_bMonitoring) return IDS_STATUS_PAUSED;
  if (exceptWindow) return Message(IDS_STATUS_EXCEPTION_WINDOW, {*exceptWindow});
  for (const Activity& activity : activities) {
    if (activity.kind != Activity::Kind::None && activity.status) return *activity.status;
  }
  const std::int32_t percent = LowLoadProgressPercent(m_nLowLoadCount, m_settings.MAXTime, m_settings.Interval);
  return Message(IDS_STATUS_MONITORING, {std::to_string(percent)});
}

// Input starts the run again (and this tick may still count); a busy source
// ends it. A run that ended after more than 30 % of the target leaves one
// line: the load report when the load ended it, else the line of the source
// that did.
void IdleMonitor::CountTick(const std::vector<Activity>& activities) {
  const Activity& load = activities.back();
  const Activity* ended = load.kind == Activity::Kind::Busy ? &load : nullptr;
  for (const Activity& activity : activities) {
    if (!ended && (activity.kind == Activity::Kind::Input || activity.kind == Activity::Kind::Busy)) ended = &activity;
  }
  if (ended) {
    const std::int64_t percentOfTarget = std::int64_t{m_nLowLoadCount} * 100 / TargetTicks();
    if (percentOfTarget > LOW_LOAD_REPORT_PERCENT && ended->endsRun) {
      m_services.log.AddLog(LOG_WARNING, *ended->endsRun);
    }
    StartRunAgain();
  }
  if (!Any(activities, Activity::Kind::Busy)) ++m_nLowLoadCount;
}

// Once a run, at the first tick from which the action is at most Warn
// seconds away, and at the last tick before it when Warn is shorter than a
// tick: someone reading without touching anything is about to lose the
// screen.
void IdleMonitor::WarnBeforeActing() {
  if (m_warned || m_nLowLoadCount == 0 || m_settings.Warn <= 0) return;
  const std::int64_t ticksLeft = TargetTicks() - m_nLowLoadCount;
  const std::int64_t warnTicks = std::max(m_settings.Warn / std::max(m_settings.Interval, 1), 1);
  if (ticksLeft <= 0 || ticksLeft > warnTicks) return;
  const std::optional<PowerMethod> method = m_services.power.PlannedMethod();
  if (!method) return;
  m_warned = m_services.tray.ShowNotification(Warning(*method));  // else again at the next tick
}

void IdleMonitor::BlinkStep() {
  if (m_bNormalIconShown) {
    m_bNormalIconShown = false;
    m_services.tray.ShowExceptIcon();
  } else {
    m_bNormalIconShown = true;
    ShowStateIcon();
  }
}

void IdleMonitor::ShowStateIcon() {
  if (m_bMonitoring) {
    m_services.tray.ShowNormalIcon();
  } else {
    m_services.tray.ShowPausedIcon();
  }
}

}  // namespace sopora
