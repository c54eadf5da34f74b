// The monitoring tick: step order, idle accounting, holds, blink, report
// line and the hand-over to the power transition.
#include <gtest/gtest.h>

#include "monitor/idle_monitor.h"
#include "support/fake_data_services.h"
#include "support/recording_engine.h"

namespace sopora {
namespace {

using Calls = std::vector<std::string>;

class IdleMonitorTest : public ::testing::Test {
 protected:
  EngineRecorder world;
  MonitorSettings settings;
  IdleMonitor monitor{settings, ServicesOf(world)};

  // Defaults, then the given duration and interval; monitoring started.
  void Start(std::int32_t maxTime = 5, std::int32_t interval = 1) {
    FakeIniStore ini;
    settings = ReadMonitorSettings(ini);
    settings.MAXTime = maxTime;
    settings.Interval = interval;
    monitor.RestartMonitor();
    world.Clear();
  }
  void Tick(int times = 1) {
    for (int i = 0; i < times; ++i) monitor.OnTimer(TIMER_MONITOR);
  }
  void LowTicks(int times) {
    world.cpu = 5;  // below the default 20
    Tick(times);
  }
  void BusyTick() {
    world.cpu = 95;
    Tick();
  }
};

TEST_F(IdleMonitorTest, OneTickRunsItsStepsInOrder) {
  Start();
  std::int32_t countSeenByDisplay = -1;
  world.duringUpdateMeters = [&] { countSeenByDisplay = monitor.m_nLowLoadCount; };
  LowTicks(1);
  EXPECT_EQ(world.calls, (Calls{"ReadCpuLoad", "ReadNetworkLoad", "ReadDiskLoad", "IsExceptWindowPresent",
                                "KillTimer 1001", "ShowNormalIcon", "UpdateMeters"}));
  EXPECT_EQ(countSeenByDisplay, 0);  // the display sees the count before this tick's step
  EXPECT_EQ(monitor.m_nLowLoadCount, 1);
}

TEST_F(IdleMonitorTest, RestartLeavesTZerosAndTheFirstTickMakesTPlusOne) {
  Start(5, 1);
  monitor.RestartMonitor();
  EXPECT_EQ(world.calls, (Calls{"KillTimer 1000", "SetTimer 1000 1000"}));
  EXPECT_EQ(monitor.m_arCpuHistory, std::deque<std::int32_t>(300, 0));
  world.cpu = 7.9;  // truncated toward zero
  Tick();
  ASSERT_EQ(monitor.m_arCpuHistory.size(), 301u);
  EXPECT_EQ(monitor.m_arCpuHistory.back(), 7);
  world.cpu = 42;
  Tick();
  EXPECT_EQ(monitor.m_arCpuHistory.size(), 301u);  // one dropped, one added
  EXPECT_EQ(monitor.m_arCpuHistory.back(), 42);
  EXPECT_EQ(*(monitor.m_arCpuHistory.end() - 2), 7);
}

TEST_F(IdleMonitorTest, TheTransitionStartsOnTheTargetsLowTick) {
  struct Case {
    std::int32_t maxTime, interval, target;
  };
  for (const Case c : {Case{5, 1, 300}, Case{1, 7, 8}, Case{60, 10, 360}, Case{1, 10, 6}}) {
    Start(c.maxTime, c.interval);
    EXPECT_EQ(monitor.TargetTicks(), c.target);
    LowTicks(c.target - 1);
    EXPECT_EQ(world.Count("DoPowerAction"), 0) << c.target;
    world.Clear();
    LowTicks(1);
    ASSERT_GE(world.calls.size(), 2u);
    EXPECT_EQ(Calls(world.calls.end() - 2, world.calls.end()), (Calls{"KillTimer 1000", "DoPowerAction"}));
  }
}

TEST_F(IdleMonitorTest, ASampleEqualToItsThresholdIsNotLow) {
  struct Case {
    double cpu;
    std::int32_t network, disk;
    bool low;
  };
  const Case cases[] = {
      {19, 299, 499, true}, {20, 0, 0, false},  {5, 300, 0, false}, {5, 0, 500, false},
      {19.99, 0, 0, true},  {-1, -1, -1, true},  // failing reads count as low
  };
  for (const Case& c : cases) {
    Start();
    world.cpu = c.cpu;
    world.network = c.network;
    world.disk = c.disk;
    Tick();
    EXPECT_EQ(monitor.m_nLowLoadCount, c.low ? 1 : 0) << c.cpu << " " << c.network << " " << c.disk;
  }
}

TEST_F(IdleMonitorTest, AFailingProcessorReadIsStoredAsMinusOne) {
  Start();
  world.cpu = -1.0;
  Tick();
  EXPECT_EQ(monitor.m_arCpuHistory.back(), -1);
  EXPECT_EQ(monitor.m_nLowLoadCount, 1);
}

TEST_F(IdleMonitorTest, ABusyTickReportsOnlyRunsAboveThirtyPercent) {
  struct Case {
    int lowTicks;
    bool reported;
  };
  for (const Case c : {Case{92, false}, Case{93, true}, Case{0, false}, Case{299, true}}) {
    Start(5, 1);  // T = 300
    LowTicks(c.lowTicks);
    world.Clear();
    world.network = 12;
    world.disk = 3;
    BusyTick();
    world.network = world.disk = 0;
    const std::vector<std::pair<int, std::string>> expected =
        c.reported ? std::vector<std::pair<int, std::string>>{{1, "CPU=95% NETWORK=12KB/sec DISK=3KB/sec)"}}
                   : std::vector<std::pair<int, std::string>>{};
    EXPECT_EQ(world.logLines, expected) << c.lowTicks;
    EXPECT_EQ(monitor.m_nLowLoadCount, 0);
  }
}

TEST_F(IdleMonitorTest, InputActivityRestartsTheRun) {
  Start();
  LowTicks(10);
  monitor.OnInputActivity();
  LowTicks(1);
  EXPECT_EQ(monitor.m_nLowLoadCount, 1);
}

TEST_F(IdleMonitorTest, PausingHoldsTheCountAndTheRunUnderWayIsStillReported) {
  Start(5, 1);
  LowTicks(100);
  world.Clear();
  monitor.OnPauseResume();
  EXPECT_EQ(world.calls, (Calls{"AddLog 1 監視を一時的に停止しました", "ShowPausedIcon"}));
  world.Clear();
  BusyTick();  // the run of 100 ticks (33 %) was under way when the user paused
  EXPECT_EQ(world.logLines.size(), 1u);
  EXPECT_EQ(world.Count("ShowPausedIcon"), 1);  // the tick keeps the paused picture
  LowTicks(400);
  EXPECT_EQ(monitor.m_nLowLoadCount, 0);
  EXPECT_EQ(world.Count("DoPowerAction"), 0);

  world.Clear();
  monitor.OnPauseResume();
  EXPECT_EQ(world.calls, (Calls{"KillTimer 1000", "SetTimer 1000 1000", "AddLog 1 監視を再開しました",
                                "ShowNormalIcon"}));
  EXPECT_EQ(monitor.m_bMonitoring, 1);
  EXPECT_EQ(monitor.m_arCpuHistory, std::deque<std::int32_t>(300, 0));
}

TEST_F(IdleMonitorTest, AnExceptionWindowBlinksOnceAndHoldsTheCount) {
  Start(1, 10);  // T = 6
  world.exceptionWindow = true;
  LowTicks(1);
  EXPECT_EQ(world.Count("SetTimer 1001 500"), 1);
  LowTicks(20);
  EXPECT_EQ(world.Count("SetTimer 1001 500"), 1);  // not started again while it stays
  EXPECT_EQ(monitor.m_nLowLoadCount, 0);
  EXPECT_EQ(world.Count("DoPowerAction"), 0);
  EXPECT_EQ(world.Count("ShowNormalIcon"), 0);  // the blink changes the picture, not the tick

  world.Clear();
  monitor.OnTimer(TIMER_BLINK);
  monitor.OnTimer(TIMER_BLINK);
  monitor.OnPauseResume();
  world.Clear();
  monitor.OnTimer(TIMER_BLINK);
  monitor.OnTimer(TIMER_BLINK);
  EXPECT_EQ(world.calls, (Calls{"ShowExceptIcon", "ShowPausedIcon"}));
  monitor.OnPauseResume();

  world.exceptionWindow = false;
  world.Clear();
  LowTicks(1);
  EXPECT_EQ(world.Count("KillTimer 1001"), 1);
  EXPECT_EQ(world.Count("ShowNormalIcon"), 1);
  EXPECT_EQ(monitor.m_bNormalIconShown, 1);
  EXPECT_EQ(monitor.m_nLowLoadCount, 1);
  LowTicks(5);
  EXPECT_EQ(world.Count("DoPowerAction"), 1);
}

TEST_F(IdleMonitorTest, AHandEditedTargetBelowOneCountsAsOne) {
  Start(1, 3600);  // MAXTime x 60 / Interval = 0
  EXPECT_EQ(monitor.TargetTicks(), 1);
  EXPECT_EQ(monitor.m_arCpuHistory.size(), 1u);
  BusyTick();  // no division by zero, no action on a tick that was not low
  EXPECT_EQ(world.Count("DoPowerAction"), 0);
  LowTicks(1);
  EXPECT_EQ(world.Count("DoPowerAction"), 1);
}

TEST_F(IdleMonitorTest, OutOfRangeSettingsGiveAUsableTimerAndTarget) {
  struct Case {
    std::int32_t maxTime, interval;
    std::int32_t target;
    std::string timer;
  };
  const Case cases[] = {
      {-5, 1, 1, "SetTimer 1000 1000"},
      {5, -1, 300, "SetTimer 1000 1000"},
      {INT32_MAX, 1, INT32_MAX, "SetTimer 1000 1000"},
      {1, INT32_MAX, 1, "SetTimer 1000 2147483647"},
  };
  for (const Case& c : cases) {
    settings.MAXTime = c.maxTime;
    settings.Interval = c.interval;
    EXPECT_EQ(monitor.TargetTicks(), c.target);
    if (c.target > 1000000) continue;  // do not fill a history of that size
    world.Clear();
    monitor.RestartMonitor();
    EXPECT_EQ(world.calls.back(), c.timer);
  }
}

TEST_F(IdleMonitorTest, ATimerMessageInsideATickDoesNotStartAnother) {
  Start(1, 10);  // T = 6
  int nested = 0;
  // A message box (exception list) or the power call pumps messages.
  world.duringExceptionTest = [&] {
    ++nested;
    monitor.OnTimer(TIMER_MONITOR);
  };
  LowTicks(1);
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(world.Count("ReadCpuLoad"), 1);
  EXPECT_EQ(monitor.m_nLowLoadCount, 1);

  world.duringExceptionTest = nullptr;
  world.duringPowerAction = [&] { monitor.OnTimer(TIMER_MONITOR); };
  world.Clear();
  LowTicks(5);
  EXPECT_EQ(world.Count("DoPowerAction"), 1);
  EXPECT_EQ(world.Count("ReadCpuLoad"), 5);
  world.duringPowerAction = nullptr;
  LowTicks(1);  // the guard is released afterwards
  EXPECT_EQ(world.Count("ReadCpuLoad"), 6);
}

TEST_F(IdleMonitorTest, OtherTimersAreIgnored) {
  Start();
  monitor.OnTimer(4242);
  EXPECT_TRUE(world.calls.empty());
}

TEST_F(IdleMonitorTest, AFreshMonitorMonitors) {
  FakeIniStore ini;
  ini.values = {{"MAXTime", 2}, {"Interval", 4}, {"Method", 1}};
  settings = ReadMonitorSettings(ini);
  EXPECT_TRUE(monitor.m_bMonitoring);
  EXPECT_EQ(monitor.m_nLowLoadCount, 0);
  EXPECT_FALSE(monitor.m_bExceptWnd);
  EXPECT_EQ(settings.Method, 1);
  EXPECT_EQ(monitor.TargetTicks(), 30);
}

// A tick that throws does so every second: its failure is logged once, and
// only the first few different failures at all.
TEST(UnexpectedFailureLogTest, EachFailureIsLoggedOnce) {
  EngineRecorder log;
  UnexpectedFailureLog failures(log);
  for (int tick = 0; tick < 3; ++tick) failures.Report("std::bad_alloc");
  failures.Report("vector::_M_range_check");
  for (int i = 0; i < 20; ++i) failures.Report("failure " + std::to_string(i));
  ASSERT_EQ(log.logLines.size(), 8u);
  EXPECT_EQ(log.logLines[0], (std::pair<int, std::string>{2, "予期しないエラーが発生しました(std::bad_alloc)"}));
  EXPECT_EQ(log.logLines[1].second, "予期しないエラーが発生しました(vector::_M_range_check)");
  EXPECT_EQ(log.logLines[7].second, "予期しないエラーが発生しました(failure 5)");
}

}  // namespace
}  // namespace sopora
