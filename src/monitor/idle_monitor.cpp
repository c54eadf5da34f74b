#include "monitor/idle_monitor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
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
}  // namespace

std::string FormatLoadReport(std::int32_t cpu, std::int32_t network, std::int32_t disk) {
  char text[96];
  std::snprintf(text, sizeof text, "CPU=%d%% NETWORK=%dKB/sec DISK=%dKB/sec)", static_cast<int>(cpu),
                static_cast<int>(network), static_cast<int>(disk));
  return text;
}

void SaveSettings(IniStore& ini, const MonitorSettings& settings, MonitorRestart& monitor) {
  WriteMonitorSettings(ini, settings);
  monitor.RestartMonitor();
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
  m_nLowLoadCount = 0;
  m_services.timers.SetTimer(TIMER_MONITOR, TimerPeriodMs(m_settings.Interval));
}

void IdleMonitor::OnTimer(unsigned timerId) {
  if (timerId == TIMER_MONITOR) MonitorTick();
  if (timerId == TIMER_BLINK) BlinkStep();
}

void IdleMonitor::OnInputActivity() { m_nLowLoadCount = 0; }

void IdleMonitor::OnPauseResume() {
  if (m_bMonitoring) {
    m_services.log.AddLog(LOG_WARNING, "監視を一時的に停止しました");
    m_bMonitoring = false;
    m_services.tray.ShowPausedIcon();
  } else {
    RestartMonitor();
    m_services.log.AddLog(LOG_WARNING, "監視を再開しました");
    m_bMonitoring = true;
    m_services.tray.ShowNormalIcon();
  }
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

  UpdateExceptionHold(m_services.exceptions.IsExceptWindowPresent());
  m_services.display.UpdateMeters();  // sees this tick's samples and the count before it
  CountLowLoad(cpu);
  if (!m_bMonitoring || m_bExceptWnd) m_nLowLoadCount = 0;

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

void IdleMonitor::CountLowLoad(std::int32_t cpu) {
  if (cpu < m_settings.CPUBorder && m_nNetLoad < m_settings.NETBorder && m_nDiskLoad < m_settings.DISKBorder) {
    ++m_nLowLoadCount;
    return;
  }
  // A busy tick that ends a long low-load run leaves a trace in the log.
  const std::int64_t percentOfTarget = std::int64_t{m_nLowLoadCount} * 100 / TargetTicks();
  if (percentOfTarget > LOW_LOAD_REPORT_PERCENT) {
    m_services.log.AddLog(LOG_WARNING, FormatLoadReport(cpu, m_nNetLoad, m_nDiskLoad));
  }
  m_nLowLoadCount = 0;
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
