// The power transition, the power broadcasts and the restart countdown.
#include <gtest/gtest.h>

#include <functional>

#include "data/data_store.h"
#include "monitor/power_controller.h"
#include "monitor/reboot_countdown.h"
#include "support/fake_data_services.h"
#include "support/recording_engine.h"
#include "text/text_field.h"

namespace sopora {
namespace {

using Calls = std::vector<std::string>;

class PowerTest : public ::testing::Test {
 protected:
  EngineRecorder world;
  MonitorSettings settings;
  IdleMonitor monitor{settings, ServicesOf(world)};
  PowerController power{settings, world, world, world, monitor, world, world};

  void Configure(std::int32_t method, std::int32_t retry, std::int32_t resumeReboot = 0) {
    FakeIniStore ini;
    settings = ReadMonitorSettings(ini);
    settings.Method = method;
    settings.Retry = retry;
    settings.ResumeReboot = resumeReboot;
    world.Clear();
  }
};

TEST_F(PowerTest, EachMethodMakesItsCallsInOrder) {
  const std::string privilegeOn = "AdjustPrivilege SeShutdownPrivilege on";
  const std::string privilegeOff = "AdjustPrivilege SeShutdownPrivilege off";
  const std::string standby = "AddLog 1 省電力状態検知のためスタンバイを試行します";
  const std::string hibernate = "AddLog 1 省電力状態検知のため休止状態を試行します";
  const std::string shutdown = "AddLog 1 CPU負荷低下のためシャットダウンを試行します";
  const std::string reset = "AddLog 0 カウンターリセット";
  const std::string restart1 = "KillTimer 1000";
  const std::string restart2 = "SetTimer 1000 1000";
  struct Case {
    std::int32_t method, retry;
    bool nt;
    Calls calls;
  };
  const Case cases[] = {
      {0, 1, true, {privilegeOn, standby, reset, restart1, restart2, "Suspend standby", privilegeOff}},
      {0, 0, true, {privilegeOn, standby, "Suspend standby", privilegeOff}},
      {1, 1, true, {privilegeOn, hibernate, reset, restart1, restart2, "Suspend hibernate", privilegeOff}},
      {1, 0, true, {privilegeOn, hibernate, "Suspend hibernate", privilegeOff}},
      {0, 1, false, {standby, reset, restart1, restart2, "Suspend standby"}},
      {1, 0, false, {hibernate, "Suspend hibernate"}},
      {2, 0, true, {privilegeOn, shutdown, "InitiateShutdown 8 planned", "SetTimer 1002 60000", privilegeOff}},
      {2, 1, true, {privilegeOn, shutdown, "InitiateShutdown 8 planned", "SetTimer 1002 60000", privilegeOff}},  // Retry plays no part
      {2, 0, false, {shutdown, "StartProcess rundll32 shell32.dll,SHExitWindowsEx 1"}},
      {3, 1, true, {privilegeOn, "Beep 0", privilegeOff}},
      {-1, 0, false, {"Beep 0"}},
  };
  for (const Case& c : cases) {
    Configure(c.method, c.retry);
    world.nt = c.nt;
    power.DoPowerAction();
    Calls expected{"QueryCapabilities"};  // the machine is asked again before every action
    expected.insert(expected.end(), c.calls.begin(), c.calls.end());
    EXPECT_EQ(world.calls, expected) << "Method " << c.method << " Retry " << c.retry << " NT " << c.nt;
  }
}

TEST_F(PowerTest, ARefusedRequestIsLoggedAsAnError) {
  using Lines = std::vector<std::pair<int, std::string>>;
  struct Case {
    std::int32_t method;
    std::uint32_t error;
    Lines after;  // the lines after the attempt
  };
  const Case cases[] = {
      {0, 50, {{2, "スタンバイへの移行に失敗しました(エラーコード=50)"}}},
      {1, 50, {{2, "休止状態への移行に失敗しました(エラーコード=50)"}}},
      // A refused shutdown did not happen: the count starts again at once.
      {2, 50, {{2, "シャットダウンに失敗しました(エラーコード=50)"}, {1, "シャットダウンが中止されました。監視を再開します。"}}},
      {2, 1191, {{1, "他のユーザーがサインインしているため、シャットダウンしません"}}},
      {2, 1115, {}},
      {2, 120, {}},
  };
  for (const Case& c : cases) {
    Configure(c.method, 0);
    world.suspendResult = world.initiateShutdownResult = {false, c.error};
    power.DoPowerAction();
    ASSERT_EQ(world.logLines.size(), 1 + c.after.size());
    EXPECT_EQ(Lines(world.logLines.begin() + 1, world.logLines.end()), c.after);
    EXPECT_EQ(world.Count("SetTimer 1000 1000"), c.method == 2 && !c.after.empty()) << c.error;
    EXPECT_EQ(world.Count("SetTimer 1002 60000"), c.method == 2 && c.after.empty()) << c.error;  // watched
    EXPECT_EQ(world.Count("ExitSession 24 planned"), c.error == 120) << c.error;
    EXPECT_EQ(world.calls.back(), "AdjustPrivilege SeShutdownPrivilege off");  // the privilege still goes back
  }
}

// The shutdown asks programs to close and does not force them: one with
// unsaved work stops it. Windows then says so (WM_ENDSESSION FALSE), or
// Sopora is simply still running a minute later; either way it logs once
// and monitors again, where the stopped timer would have left it idle.
TEST_F(PowerTest, AShutdownThatDoesNotHappenStartsTheCountAgain) {
  const Calls noticed = {"KillTimer 1002", "AddLog 1 シャットダウンが中止されました。監視を再開します。", "KillTimer 1000",
                         "SetTimer 1000 1000"};
  struct Case {
    const char* name;
    std::function<void(PowerController&)> world;
    Calls calls;
  };
  const Case cases[] = {
      {"Windows ends the query", [](PowerController& p) { p.OnEndSession(false); }, noticed},
      {"still running a minute later", [](PowerController& p) { p.OnShutdownCheck(); }, noticed},
      {"both, in turn: noticed once", [](PowerController& p) { p.OnEndSession(false), p.OnShutdownCheck(); }, noticed},
      {"Windows ends", [](PowerController& p) { p.OnEndSession(true), p.OnShutdownCheck(); }, {"KillTimer 1002"}},
  };
  for (const Case& c : cases) {
    Configure(2, 0);
    power.DoPowerAction();
    EXPECT_EQ(world.Count("InitiateShutdown 8 planned"), 1) << c.name;  // SHUTDOWN_POWEROFF alone: nobody is forced
    EXPECT_EQ(world.Count("SetTimer 1002 60000"), 1) << c.name;
    world.Clear();
    c.world(power);
    EXPECT_EQ(world.calls, c.calls) << c.name;
  }
  // No shutdown asked for: a user's own cancelled shutdown is none of Sopora's business.
  PowerController fresh{settings, world, world, world, monitor, world, world};
  world.Clear();
  fresh.OnEndSession(false);
  fresh.OnShutdownCheck();
  EXPECT_TRUE(world.calls.empty());
}

TEST_F(PowerTest, AStandbyThatHappensLogsItsWholeStory) {
  Configure(0, 1);
  world.duringSuspend = [&] { power.OnPowerBroadcast(PBT_APMQUERYSUSPEND_EVENT); };
  power.DoPowerAction();
  power.OnPowerBroadcast(PBT_APMRESUMESUSPEND_EVENT);
  const std::vector<std::pair<int, std::string>> expected = {
      {1, "省電力状態検知のためスタンバイを試行します"},
      {0, "カウンターリセット"},
      {7, "省電力状態へ移行します"},
      {6, "省電力状態から復帰しました"},
      {0, "カウンターリセット"},
  };
  EXPECT_EQ(world.logLines, expected);
}

TEST_F(PowerTest, BroadcastsByEvent) {
  struct Case {
    std::uintptr_t event;
    Calls calls;
  };
  const Case cases[] = {
      {0, {"AddLog 7 省電力状態へ移行します"}},
      {1, {"AddLog 7 省電力状態へ移行します"}},
      {4, {}},  // the suspend notification itself
      {2, {}},
      {18, {}},
      {7, {"AddLog 6 省電力状態から復帰しました", "AddLog 0 カウンターリセット", "KillTimer 1000", "SetTimer 1000 1000"}},
  };
  for (const Case& c : cases) {
    Configure(0, 0);
    EXPECT_EQ(power.OnPowerBroadcast(c.event), 0);
    EXPECT_EQ(world.calls, c.calls) << c.event;
  }
}

TEST_F(PowerTest, ResumeWithRestartOption) {
  const Calls resumed = {"AddLog 6 省電力状態から復帰しました", "AddLog 0 カウンターリセット", "KillTimer 1000",
                         "SetTimer 1000 1000", "ConfirmReboot"};
  Configure(0, 0, 1);
  world.confirmReboot = false;  // cancelled: nothing more
  power.OnPowerBroadcast(PBT_APMRESUMESUSPEND_EVENT);
  EXPECT_EQ(world.calls, resumed);

  Configure(0, 0, 1);
  world.confirmReboot = true;
  power.OnPowerBroadcast(PBT_APMRESUMESUSPEND_EVENT);
  Calls confirmed = resumed;
  confirmed.insert(confirmed.end(), {"AddLog 0 オプション指定により再起動を実行します",
                                     "AdjustPrivilege SeShutdownPrivilege on", "ExitSession 6 planned",
                                     "AdjustPrivilege SeShutdownPrivilege off"});
  EXPECT_EQ(world.calls, confirmed);
}

TEST_F(PowerTest, AResumeDuringTheCountdownOpensNoSecondOne) {
  Configure(0, 0, 1);
  world.duringRebootPrompt = [&] { power.OnPowerBroadcast(PBT_APMRESUMESUSPEND_EVENT); };
  power.OnPowerBroadcast(PBT_APMRESUMESUSPEND_EVENT);
  EXPECT_EQ(world.Count("ConfirmReboot"), 1);
  EXPECT_EQ(world.Count("AddLog 6 省電力状態から復帰しました"), 2);  // still logged and restarted
  world.duringRebootPrompt = nullptr;
  power.OnPowerBroadcast(PBT_APMRESUMESUSPEND_EVENT);
  EXPECT_EQ(world.Count("ConfirmReboot"), 2);  // and offered again once the first is over
}

// What the machine can do, as the power library reports it.
struct Profile {
  const char* name;
  PowerCapabilities capabilities;
};
const Profile UNKNOWN = {"query failed", {}};
const Profile DESKTOP = {"desktop", {true, true, true, true, false}};
const Profile HIBERNATION_OFF = {"hibernation off", {true, true, false, false, false}};
const Profile NO_HIBERNATION_FILE = {"no hibernation file", {true, true, true, false, false}};
const Profile MODERN_LAPTOP = {"Modern Standby laptop", {true, false, true, true, true}};
const Profile MODERN_LAPTOP_HIBERNATION_OFF = {"Modern Standby, hibernation off", {true, false, false, false, true}};
const Profile NO_SLEEP_AT_ALL = {"no S1-S3, no Modern Standby", {true, false, true, true, false}};
const Profile STANDARD_USER_ON_SERVER = {"a standard user on Server", {true, true, true, true, false, false}};

const std::string HIBERNATION_OFF_REASON = "休止状態が無効です。powercfg /hibernate on で有効になります";

// Capabilities x method x Retry: an action the machine can perform makes
// exactly the calls it made before capabilities were known; one it cannot
// makes none, logs why and restarts the count as Retry would.
TEST_F(PowerTest, WhatTheMachineCannotDoIsNotAttempted) {
  struct Case {
    const Profile& profile;
    std::int32_t method;
    std::string reason;  // empty: performed as before
  };
  const Case cases[] = {
      {UNKNOWN, 0, ""},
      {UNKNOWN, 1, ""},
      {DESKTOP, 0, ""},
      {DESKTOP, 1, ""},
      {DESKTOP, 2, ""},
      {HIBERNATION_OFF, 0, ""},
      {HIBERNATION_OFF, 1, HIBERNATION_OFF_REASON},
      {NO_HIBERNATION_FILE, 1, HIBERNATION_OFF_REASON},
      {MODERN_LAPTOP, 0, "このPCはスタンバイ(S3)に対応していません(モダンスタンバイ)。休止状態かシャットダウンを選んでください"},
      {MODERN_LAPTOP, 1, ""},
      {MODERN_LAPTOP_HIBERNATION_OFF, 0,
       "このPCはスタンバイ(S3)に対応していません(モダンスタンバイ)。シャットダウンを選んでください"},
      {MODERN_LAPTOP_HIBERNATION_OFF, 1, HIBERNATION_OFF_REASON},
      {MODERN_LAPTOP_HIBERNATION_OFF, 2, ""},  // shutdown always works
      {MODERN_LAPTOP_HIBERNATION_OFF, 3, ""},  // an unknown method only beeps, as before
      {NO_SLEEP_AT_ALL, 0, "このPCはスタンバイ(S3)に対応していません"},
      {STANDARD_USER_ON_SERVER, 2, "このユーザーにはシャットダウンの権限がありません"},
  };
  for (const Case& c : cases) {
    for (std::int32_t retry : {0, 1}) {
      const std::string name = std::string(c.profile.name) + " Method " + std::to_string(c.method) + " Retry " +
                               std::to_string(retry);
      Configure(c.method, retry);
      world.capabilities = {};
      power.RefreshCapabilities();
      world.Clear();
      power.DoPowerAction();
      const Calls before = world.calls;  // unknown capabilities: today's behaviour

      PowerController informed{settings, world, world, world, monitor, world, world};
      world.capabilities = c.profile.capabilities;
      informed.RefreshCapabilities();
      world.Clear();
      informed.DoPowerAction();
      if (c.reason.empty()) {
        EXPECT_EQ(world.calls, before) << name;
        continue;
      }
      const std::string action = std::vector<std::string>{"スタンバイへの移行", "休止状態への移行", "シャットダウン"}[c.method];
      const std::string skipped = action + "は行いません。" + c.reason;
      EXPECT_EQ(world.calls, (Calls{"QueryCapabilities", "AddLog 2 " + skipped, "ShowSettingsNotification " + skipped,
                                    "AddLog 0 カウンターリセット", "KillTimer 1000", "SetTimer 1000 1000"}))
          << name;
      EXPECT_EQ(world.logLines.front().second.size(), TextOfField(MakeLogRecord(2, world.logLines.front().second,
                                                                                  SystemTime{}).text).size())
          << name << ": the line fits the log's field";
    }
  }
}

TEST_F(PowerTest, TheReasonIsLoggedOnceUntilTheSettingsOrTheCapabilitiesChange) {
  Configure(0, 0);
  world.capabilities = MODERN_LAPTOP.capabilities;
  power.RefreshCapabilities();
  const auto skipped = [&] {
    world.Clear();
    power.DoPowerAction();
    EXPECT_EQ(world.Count("KillTimer 1000"), 1);  // the count always starts again
    const auto balloons = std::ranges::count_if(
        world.calls, [](const std::string& call) { return call.starts_with("ShowSettingsNotification "); });
    EXPECT_EQ(static_cast<std::size_t>(balloons) * 2, world.logLines.size());  // one with each skip line
    return world.logLines.size();
  };
  EXPECT_EQ(skipped(), 2u);
  EXPECT_EQ(skipped(), 0u);
  power.RefreshCapabilities();  // asked again, nothing changed
  EXPECT_EQ(skipped(), 0u);
  power.OnSettingsSaved();
  EXPECT_EQ(skipped(), 2u);
  world.capabilities = MODERN_LAPTOP_HIBERNATION_OFF.capabilities;  // hibernation switched off meanwhile
  power.RefreshCapabilities();
  EXPECT_EQ(skipped(), 2u);
  EXPECT_EQ(skipped(), 0u);
}

// The user follows the advice while Sopora runs (powercfg /hibernate on):
// the next action is asked of the machine as it is now, and what became
// possible is logged once.
TEST_F(PowerTest, AnActionThatBecomesPossibleIsAnnouncedAndTakenWithoutARestart) {
  const std::string standby = "AddLog 0 スタンバイが使えるようになりました。";
  const std::string hibernation = "AddLog 0 休止状態が使えるようになりました。";
  struct Case {
    const Profile& before;
    const Profile& after;
    Calls announced;
  };
  const Case cases[] = {
      {HIBERNATION_OFF, DESKTOP, {hibernation}},
      {MODERN_LAPTOP_HIBERNATION_OFF, MODERN_LAPTOP, {hibernation}},
      {NO_SLEEP_AT_ALL, DESKTOP, {standby}},
      {MODERN_LAPTOP_HIBERNATION_OFF, DESKTOP, {standby, hibernation}},
      {UNKNOWN, DESKTOP, {}},  // it was never known to be missing
      {DESKTOP, UNKNOWN, {}},
      {DESKTOP, HIBERNATION_OFF, {}},
  };
  for (const Case& c : cases) {
    const std::string name = std::string(c.before.name) + " -> " + c.after.name;
    Configure(1, 0);
    world.capabilities = c.before.capabilities;
    PowerController running{settings, world, world, world, monitor, world, world};
    running.RefreshCapabilities();
    world.capabilities = c.after.capabilities;
    world.Clear();
    running.DoPowerAction();
    Calls expected{"QueryCapabilities"};
    expected.insert(expected.end(), c.announced.begin(), c.announced.end());
    const bool hibernates = UnavailableMethodReason(c.after.capabilities, 1) == 0;
    if (hibernates) expected.insert(expected.end(), {"AdjustPrivilege SeShutdownPrivilege on"});
    ASSERT_GE(world.calls.size(), expected.size()) << name;
    EXPECT_EQ(Calls(world.calls.begin(), world.calls.begin() + static_cast<std::ptrdiff_t>(expected.size())), expected)
        << name;
    EXPECT_EQ(world.Count("Suspend hibernate"), hibernates ? 1 : 0) << name;
    world.Clear();
    running.RefreshCapabilities();  // asked again: announced once only
    EXPECT_TRUE(world.logLines.empty()) << name;
  }
}

TEST_F(PowerTest, TheStartUpWarningNamesTheConfiguredMethodOnly) {
  struct Case {
    const Profile& profile;
    std::int32_t method;
    bool warned;
  };
  const Case cases[] = {{UNKNOWN, 0, false}, {DESKTOP, 1, false}, {MODERN_LAPTOP, 0, true},
                        {MODERN_LAPTOP, 1, false}, {HIBERNATION_OFF, 1, true}, {HIBERNATION_OFF, 2, false}};
  for (const Case& c : cases) {
    Configure(c.method, 0);
    world.capabilities = c.profile.capabilities;
    power.RefreshCapabilities();
    world.Clear();
    power.WarnIfMethodUnavailable();
    ASSERT_EQ(world.logLines.size(), c.warned ? 1u : 0u) << c.profile.name << " " << c.method;
    if (c.warned) {
      EXPECT_EQ(world.logLines[0],
                std::make_pair(2, rc::InJapanese(UnavailableMethodReason(c.profile.capabilities, c.method))));
    }
  }
}

TEST(RebootCountdownTest, ThirtyStepsThenOk) {
  EngineRecorder view;
  RebootCountdown countdown(view);
  countdown.OnInitDialog();
  EXPECT_EQ(view.calls, (Calls{"SetProgressRange 0 30", "StartTimer 1000 1000", "Beep 64",
                               "SetRemainText 残り時間【30】秒"}));
  for (int step = 1; step <= 30; ++step) {
    view.Clear();
    countdown.OnTimer();
    Calls expected = {"SetProgressPos " + std::to_string(step), "SetRemainText 残り時間【" + std::to_string(30 - step) + "】秒"};
    if (step == 30) expected.push_back("EndDialog 1");
    EXPECT_EQ(view.calls, expected) << step;
  }
  view.Clear();
  countdown.OnTimer();  // a timer message still queued behind the end
  EXPECT_TRUE(view.calls.empty());
  EXPECT_EQ(countdown.m_nElapsed, 30);
}

}  // namespace
}  // namespace sopora
