// The sources of activity besides load and the hooks: other sessions, the
// session's last input time, programs' keep-awake requests, sound playing; and how the
// tick weighs them, names them in the status line and warns before acting.
#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "monitor/idle_monitor.h"
#include "monitor/keep_awake_requests.h"
#include "monitor/other_sessions.h"
#include "monitor/sound_playing.h"
#include "monitor/user_input.h"
#include "support/default_settings.h"
#include "support/recording_engine.h"

namespace sopora {
namespace {

// What a Japanese user reads of an optional line; empty for none.
std::string Said(const std::optional<Message>& message) { return message ? rc::InJapanese(*message) : ""; }

constexpr std::int64_t SECOND = 10'000'000;  // in the 100 ns units Windows reports
constexpr std::int64_t NOW = 1'000'000 * SECOND;

class ScriptedSessions : public SessionSource {
 public:
  std::optional<std::vector<SessionInfo>> sessions = std::vector<SessionInfo>{};
  std::uint32_t own = 1;
  std::optional<std::vector<SessionInfo>> Sessions() override { return sessions; }
  std::uint32_t OwnSession() override { return own; }
};

SessionInfo Session(std::uint32_t id, bool active, bool user, std::int64_t lastInput, bool locked = false) {
  return {id, active, user, locked, lastInput, NOW};
}

// Sessions x states x user names x locks x input times, over two ticks: the
// first one as Windows reported it a second earlier, the second one now.
TEST(OtherSessionsTest, AnotherSessionInUseWithInputHoldsTheMachineAwake) {
  using Kind = Activity::Kind;
  const SessionInfo ownInUse = Session(1, true, true, NOW);  // the console: no input time of its own
  const SessionInfo ownAway = Session(1, false, true, 0);    // switched away, or the connection dropped
  struct Case {
    const char* name;
    SessionInfo own;
    std::optional<SessionInfo> before;  // the other session at the first tick
    SessionInfo now;                    // and at the second
    Kind kind;
  };
  const Case cases[] = {
      {"a remote user typing", ownInUse, Session(2, true, true, NOW - 5 * SECOND), Session(2, true, true, NOW - SECOND),
       Kind::Busy},
      {"a remote user reading", ownInUse, Session(2, true, true, NOW - 5 * SECOND),
       Session(2, true, true, NOW - 5 * SECOND), Kind::None},
      {"a sign-in screen", ownInUse, Session(2, true, false, NOW - 5 * SECOND), Session(2, true, false, NOW - SECOND),
       Kind::None},
      {"a disconnected session", ownInUse, Session(2, false, true, NOW - 5 * SECOND),
       Session(2, false, true, NOW - SECOND), Kind::None},
      {"a session that just connected and typed", ownInUse, std::nullopt, Session(2, true, true, NOW - SECOND / 2),
       Kind::Busy},
      {"a session that just connected, idle", ownInUse, std::nullopt, Session(2, true, true, NOW - 90 * SECOND),
       Kind::None},
      {"a remote user typing after the clock was set back", ownInUse, Session(2, true, true, NOW - 5 * SECOND),
       Session(2, true, true, NOW - 3600 * SECOND), Kind::Busy},
      {"unknown input time, own session in use", ownInUse, Session(2, true, true, 0), Session(2, true, true, 0),
       Kind::Hold},
      {"a locked console, own session away", ownAway, Session(2, true, true, NOW, true), Session(2, true, true, NOW, true),
       Kind::None},
      {"unknown input time: own session away", ownAway, Session(2, true, true, 0), Session(2, true, true, 0),
       Kind::Hold},
      {"the console's time is the current one: own session away", ownAway, Session(2, true, true, NOW),
       Session(2, true, true, NOW), Kind::Hold},
      {"own session away, the other one idle", ownAway, Session(2, true, true, NOW - 9 * SECOND),
       Session(2, true, true, NOW - 9 * SECOND), Kind::None},
      {"own session away, nobody else in use", ownAway, Session(2, true, false, 0), Session(2, true, false, 0),
       Kind::None},
  };
  for (const Case& c : cases) {
    ScriptedSessions windows;
    MonitorSettings settings = DefaultSettings();
    EngineRecorder log;
    OtherSessions sessions(windows, settings, log);
    if (c.before) {
      SessionInfo earlier = *c.before;
      earlier.currentTime -= SECOND;
      windows.sessions = std::vector<SessionInfo>{c.own, earlier};
      sessions.Ask();
    }
    windows.sessions = std::vector<SessionInfo>{c.own, c.now};
    const Activity activity = sessions.Ask();
    EXPECT_EQ(activity.kind, c.kind) << c.name;
    EXPECT_EQ(Said(activity.status), c.kind == Kind::None ? "" : "他のセッションで操作中") << c.name;
    EXPECT_EQ(Said(activity.endsRun), c.kind == Kind::Busy ? "他のセッションでの操作を検知しました" : "") << c.name;
    EXPECT_EQ(log.Count("AddLog 1 他のセッションが使用中のため、省電力を保留しています"), c.kind == Kind::Hold) << c.name;
  }
  // One instance counts the awake minutes: the session in use, else the first connected one.
  EXPECT_FALSE(CountsForMachine({ownAway, Session(2, true, true, NOW)}, 1));
  EXPECT_TRUE(CountsForMachine({Session(1, true, true, NOW, true), Session(2, false, true, NOW)}, 1));
  ScriptedSessions unanswered;
  unanswered.sessions.reset();  // Windows cannot be asked: as before
  MonitorSettings settings = DefaultSettings();
  EngineRecorder log;
  EXPECT_EQ(OtherSessions(unanswered, settings, log).Ask().kind, Kind::None);
  EXPECT_EQ((std::vector{LockedByFlags(0, false), LockedByFlags(1, false), LockedByFlags(-1, false)}),
            (std::vector{true, false, false}));  // Windows 8 and later; Wine, as Windows 7, shows the swap
}

class UntimedRun : public IdleRun {
 public:
  void OnInputActivity() override {}
};

class ScriptedLastInput : public LastInputSource {
 public:
  std::optional<std::uint32_t> lastInput = 1000;
  std::uint32_t now = 1000;
  std::optional<ScreenPoint> cursor = ScreenPoint{100, 100};
  std::optional<std::uint32_t> LastInputTick() override { return lastInput; }
  std::uint32_t Now() override { return now; }
  std::optional<ScreenPoint> CursorPosition() override { return cursor; }
};

// The session's last input time x the hooks' reports x the pointer's move
// since the previous tick, with the edges of the dead zone. What the hooks
// tell up to the start, they tell before the previous tick.
TEST(UserInputTest, InputTheHooksDidNotHearCountsUnlessItIsPointerJitter) {
  using Kind = Activity::Kind;
  const std::string unheard = "フックで検知できない入力を検知しました";
  struct Case {
    const char* name;
    std::uint32_t start;                  // tick count at the first tick
    std::optional<std::uint32_t> report;  // a hook report at this tick count
    std::optional<std::uint32_t> input;   // Windows' last input afterwards
    ScreenPoint moved;
    Kind kind;
    std::string line;
    std::vector<std::pair<UnreportedInput, std::uint32_t>> notices = {};  // what, when
  };
  constexpr auto JITTER = UnreportedInput::PointerJitter;
  const Case cases[] = {
      {"nothing happened", 1000, std::nullopt, 1000, {0, 0}, Kind::None, ""},
      {"the hooks heard it", 1000, 2000, 1990, {9, 0}, Kind::Input, ""},
      {"a key the hooks did not hear", 1000, std::nullopt, 2000, {0, 0}, Kind::Input, unheard},
      {"a key after the hooks' last report", 1000, 1500, 2000, {0, 0}, Kind::Input, unheard},
      {"a key unheard, the pointer drifting", 1000, std::nullopt, 2000, {2, 2}, Kind::Input, unheard},
      {"jitter back on the same pixel", 1000, std::nullopt, 2000, {0, 0}, Kind::None, "", {{JITTER, 1900}}},
      {"3 pixels on both axes: jitter", 1000, std::nullopt, 2000, {-3, 3}, Kind::None, "", {{JITTER, 1600}, {JITTER, 1950}}},
      {"jitter told just before the tick", 1000, std::nullopt, 1499, {1, 0}, Kind::None, "", {{JITTER, 1000}}},
      {"a key well after the jitter", 1000, std::nullopt, 2000, {0, 0}, Kind::Input, unheard, {{JITTER, 1100}}},
      {"a wheel turn", 1000, std::nullopt, 2000, {1, 0}, Kind::Input, unheard, {{JITTER, 1900}, {UnreportedInput::Other, 1950}}},
      {"4 pixels: a move", 1000, std::nullopt, 2000, {4, 0}, Kind::Input, unheard, {{JITTER, 1900}}},
      {"3 and 4 pixels: a move", 1000, std::nullopt, 2000, {3, -4}, Kind::Input, unheard},
      {"the tick count wrapped", 0xFFFFFF00u, std::nullopt, 0x10, {0, 0}, Kind::Input, unheard},
      {"24.8 days after a report", 1000, 1000, 0x80001000u, {0, 0}, Kind::Input, unheard},
      {"no last input time: only the hooks", 1000, 1500, std::nullopt, {0, 0}, Kind::Input, ""},
      {"no last input time, no report", 1000, std::nullopt, std::nullopt, {0, 0}, Kind::None, ""},
  };
  for (const Case& c : cases) {
    ScriptedLastInput windows;
    windows.lastInput = windows.now = c.start;
    UntimedRun run;
    UserInput input(windows, run);
    const auto tell = [&](bool beforeTheTick) {
      for (const auto& [what, at] : c.notices) {
        if ((at <= c.start) != beforeTheTick) continue;
        windows.now = at;
        input.OnUnreportedInput(what);
      }
      if (!c.report || (*c.report <= c.start) != beforeTheTick) return;
      windows.now = *c.report;
      input.OnHookReport();
    };
    tell(true);
    input.Ask();  // the previous tick
    tell(false);
    windows.lastInput = c.input;
    windows.cursor = ScreenPoint{100 + c.moved.x, 100 + c.moved.y};
    const Activity activity = input.Ask();
    EXPECT_EQ(activity.kind, c.kind) << c.name;
    EXPECT_EQ(Said(activity.endsRun), c.line) << c.name;
    EXPECT_EQ(Said(activity.status), c.kind == Kind::Input ? "入力あり" : "") << c.name;
    EXPECT_EQ(input.Ask().kind, Kind::None) << c.name << ": told once";
  }
}

class ScriptedExecutionState : public ExecutionStateSource {
 public:
  std::optional<std::uint32_t> state;
  int asked = 0;
  std::optional<std::uint32_t> SystemExecutionState() override { return ++asked, state; }
};

// The execution state's flags x the setting Requests.
TEST(KeepAwakeRequestsTest, ADisplayOrSystemRequestHoldsTheMachineAwakeWhenAskedTo) {
  using Kind = Activity::Kind;
  constexpr std::uint32_t CONTINUOUS = 0x80000000, AWAY_MODE = 0x40;
  struct Case {
    const char* name;
    std::int32_t requests;
    std::optional<std::uint32_t> state;
    Kind kind;
    std::string status;
    std::string line;
  };
  const Case cases[] = {
      {"display required", 1, ES_DISPLAY_REQUIRED_FLAG | CONTINUOUS, Kind::Busy, "アプリの要求：ディスプレイ",
       "アプリの省電力抑止要求を検知しました（ディスプレイ）"},
      {"system required", 1, ES_SYSTEM_REQUIRED_FLAG | CONTINUOUS, Kind::Busy, "アプリの要求：システム",
       "アプリの省電力抑止要求を検知しました（システム）"},
      {"both: the display is named", 1, ES_SYSTEM_REQUIRED_FLAG | ES_DISPLAY_REQUIRED_FLAG, Kind::Busy,
       "アプリの要求：ディスプレイ", "アプリの省電力抑止要求を検知しました（ディスプレイ）"},
      {"continuous only", 1, CONTINUOUS, Kind::None, "", ""},
      {"away mode only", 1, AWAY_MODE, Kind::None, "", ""},
      {"cannot be read", 1, std::nullopt, Kind::None, "", ""},
      {"setting off", 0, ES_DISPLAY_REQUIRED_FLAG, Kind::None, "", ""},
      {"setting 2 is off", 2, ES_DISPLAY_REQUIRED_FLAG, Kind::None, "", ""},
  };
  for (const Case& c : cases) {
    ScriptedExecutionState windows;
    windows.state = c.state;
    MonitorSettings settings = DefaultSettings();
    settings.Requests = c.requests;
    const Activity activity = KeepAwakeRequests(windows, settings).Ask();
    EXPECT_EQ(activity.kind, c.kind) << c.name;
    EXPECT_EQ(Said(activity.status), c.status) << c.name;
    EXPECT_EQ(Said(activity.endsRun), c.line) << c.name;
    EXPECT_EQ(windows.asked, c.requests == 1 ? 1 : 0) << c.name << ": off means not even asked";
  }
}

// Core Audio as a test scripts it: the outputs' peak meters (nothing: the meter cannot be read).
using Meters = std::optional<std::vector<std::optional<float>>>;
class ScriptedOutputs : public AudioOutputs {
 public:
  std::uint32_t openError = 0;
  Meters meters;  // nothing: the list cannot be had
  bool changed = false;
  int opened = 0, enumerated = 0;
  std::uint32_t Open() override { return ++opened, openError; }
  bool Changed() override { return std::exchange(changed, false); }
  std::optional<std::size_t> Enumerate() override {
    return ++enumerated, meters ? std::optional(meters->size()) : std::nullopt;
  }
  // An output that went since it was found cannot be read.
  std::optional<float> PeakValue(std::size_t i) override {
    return meters && i < meters->size() ? (*meters)[i] : std::nullopt;
  }
};

// Meter readings x Requests over three ticks: the first with `before`, the
// next two with `after` (of which Windows told only when `told`).
TEST(SoundPlayingTest, AudibleSoundHoldsTheMachineAwakeWhenAskedTo) {
  using Kind = Activity::Kind;
  constexpr Kind N = Kind::None, B = Kind::Busy;
  constexpr std::uint32_t CLASS_NOT_REGISTERED = 0x80040154;
  struct Case {
    const char* name;
    std::int32_t requests;
    std::uint32_t openError;
    Meters before, after;
    bool told;
    std::vector<Kind> ticks;
    int enumerated;
  };
  const auto meters = [](std::initializer_list<std::optional<float>> peaks) { return Meters(peaks); };
  const Meters none = meters({}), loud = meters({0.3f}), failing = meters({std::nullopt});
  const Case cases[] = {
      {"silent: a paused player", 1, 0, meters({0.0f}), meters({0.0f}), false, {N, N, N}, 1},
      {"below -60 dBFS", 1, 0, meters({0.0009f}), meters({0.0009f}), false, {N, N, N}, 1},
      {"above -60 dBFS", 1, 0, meters({0.0011f}), meters({0.0011f}), false, {B, B, B}, 1},
      {"heard on the second output", 1, 0, meters({0.0f, 0.5f}), meters({0.0f, 0.5f}), false, {B, B, B}, 1},
      {"setting off: not even asked", 0, 0, loud, loud, false, {N, N, N}, 0},
      {"no device, then headphones plugged in", 1, 0, none, loud, true, {N, B, B}, 2},
      {"the device vanished", 1, 0, loud, none, false, {B, N, N}, 2},
      {"a failing read, then a good one", 1, 0, failing, loud, false, {N, B, B}, 2},
      {"the list cannot be had: asked again", 1, 0, std::nullopt, std::nullopt, false, {N, N, N}, 3},
      {"Core Audio cannot be used", 1, CLASS_NOT_REGISTERED, loud, loud, false, {N, N, N}, 0},
  };
  for (const Case& c : cases) {
    ScriptedOutputs outputs;
    EngineRecorder log;
    MonitorSettings settings = DefaultSettings();
    settings.Requests = c.requests;
    SoundPlaying sound(outputs, settings, log);
    outputs.openError = c.openError;
    outputs.meters = c.before;
    for (std::size_t tick = 0; tick < c.ticks.size(); ++tick) {
      if (tick == 1) outputs.meters = c.after, outputs.changed = c.told;
      const Activity activity = sound.Ask();
      EXPECT_EQ(activity.kind, c.ticks[tick]) << c.name << " at tick " << tick;
      EXPECT_EQ(Said(activity.status), activity.kind == B ? "アプリの要求：音声の再生" : "") << c.name;
      EXPECT_EQ(Said(activity.endsRun), activity.kind == B ? "音声の再生を検知しました" : "") << c.name;
    }
    EXPECT_EQ(outputs.enumerated, c.enumerated) << c.name;
    EXPECT_EQ(outputs.opened, c.requests == 1 ? 1 : 0) << c.name;
    const std::vector<std::pair<int, std::string>> told{
        {LOG_ERROR, "音声の再生を確認できません。Core Audio を使えません(エラーコード=0x80040154)"}};
    EXPECT_EQ(log.logLines, c.openError ? told : decltype(told){}) << c.name << ": once, not at every tick";
  }
}

// A source whose answer a test sets.
class ScriptedSource : public ActivitySource {
 public:
  Activity next;
  Activity Ask() override { return std::exchange(next, Activity{}); }
};

class ActivityTickTest : public ::testing::Test {
 protected:
  EngineRecorder world;
  MonitorSettings settings = DefaultSettings();
  ScriptedSource sessions, requests, input;
  IdleMonitor monitor{settings, [&] {
                        IdleMonitorServices services = ServicesOf(world);
                        services.sources = {&sessions, &requests, &input};
                        return services;
                      }()};

  void Start(std::int32_t maxTime, std::int32_t interval) {
    settings.MAXTime = maxTime;
    settings.Interval = interval;
    monitor.RestartMonitor();
    world.Clear();
  }
  void Tick(int times = 1) {
    for (int i = 0; i < times; ++i) monitor.OnTimer(TIMER_MONITOR);
  }
};

const Activity SESSION_BUSY{Activity::Kind::Busy, IDS_STATUS_OTHER_SESSION, IDS_LOG_OTHER_SESSION};
const Activity SESSION_UNKNOWN{Activity::Kind::Hold, IDS_STATUS_OTHER_SESSION, std::nullopt};
const Activity DISPLAY_REQUEST{Activity::Kind::Busy, IDS_STATUS_DISPLAY_REQUEST, IDS_LOG_DISPLAY_REQUEST};
const Activity UNHEARD{Activity::Kind::Input, IDS_STATUS_INPUT, IDS_LOG_UNHEARD_INPUT};
const Activity HOOKS{Activity::Kind::Input, IDS_STATUS_INPUT, std::nullopt};

// What holds the count, the first that applies, asked before the meters
// are drawn (the display reads it there).
TEST_F(ActivityTickTest, TheStatusLineNamesTheFirstThingThatHoldsTheCount) {
  struct Case {
    const char* name;
    bool paused, exceptWindow;
    Activity sessions, requests, input;
    double cpu;
    std::int32_t network;
    std::string line;
  };
  const Activity none;
  const Case cases[] = {
      {"paused, and everything else too", true, true, SESSION_BUSY, DISPLAY_REQUEST, UNHEARD, 95, 0, "一時中止中"},
      {"an exception window", false, true, SESSION_BUSY, DISPLAY_REQUEST, UNHEARD, 95, 0, "例外ウィンドウ：無題 - メモ帳"},
      {"another session", false, false, SESSION_BUSY, DISPLAY_REQUEST, UNHEARD, 95, 0, "他のセッションで操作中"},
      {"another session, unknown", false, false, SESSION_UNKNOWN, none, none, 5, 0, "他のセッションで操作中"},
      {"a program's request", false, false, none, DISPLAY_REQUEST, UNHEARD, 95, 0, "アプリの要求：ディスプレイ"},
      {"input", false, false, none, none, HOOKS, 95, 0, "入力あり"},
      {"the processor", false, false, none, none, none, 35.7, 900, "負荷あり（CPU 35%）"},
      {"the network", false, false, none, none, none, 5, 420, "負荷あり（ネットワーク 420KB/s）"},
      {"nothing: how far the run is", false, false, none, none, none, 5, 0, "監視中（省電力まで 43%）"},
  };
  for (const Case& c : cases) {
    Start(1, 1);  // T = 60
    monitor.m_bMonitoring = !c.paused;
    monitor.m_nLowLoadCount = 26;  // 26 / 60 = 43.3 %, as the bar shows it
    world.exceptionWindow = c.exceptWindow;
    sessions.next = c.sessions;
    requests.next = c.requests;
    input.next = c.input;
    world.cpu = c.cpu;
    world.network = c.network;
    std::string seenByDisplay;
    world.duringUpdateMeters = [&] { seenByDisplay = rc::InJapanese(monitor.Status().line); };
    Tick();
    EXPECT_EQ(seenByDisplay, c.line) << c.name;
  }
}

// A long run (more than 30 % of the target) that a new source ends leaves
// one line, as the load report does; the load report stays the line when
// the load ended the run too; the hooks' input and holds log nothing.
TEST_F(ActivityTickTest, ALongRunEndedByANewSignalLeavesOneLine) {
  struct Case {
    const char* name;
    Activity sessions, requests, input;
    double cpu;
    std::int32_t countBefore;
    std::vector<std::string> lines;
    std::int32_t countAfter;
  };
  const Activity none;
  const Case cases[] = {
      {"another session", SESSION_BUSY, none, none, 5, 19, {"他のセッションでの操作を検知しました"}, 0},
      {"a program's request", none, DISPLAY_REQUEST, none, 5, 19, {"アプリの省電力抑止要求を検知しました（ディスプレイ）"}, 0},
      {"input the hooks missed: this tick counts", none, none, UNHEARD, 5, 19, {"フックで検知できない入力を検知しました"}, 1},
      {"a short run: no line", SESSION_BUSY, none, none, 5, 18, {}, 0},
      {"the load too: its report", SESSION_BUSY, none, none, 95, 19, {"CPU=95% NETWORK=0KB/sec DISK=0KB/sec)"}, 0},
      {"the hooks' own input", none, none, HOOKS, 5, 19, {}, 1},
      {"an unknown session holds", SESSION_UNKNOWN, none, none, 5, 19, {}, 0},
  };
  for (const Case& c : cases) {
    Start(1, 1);  // T = 60: 19 ticks are 31 %
    monitor.m_nLowLoadCount = c.countBefore;
    sessions.next = c.sessions;
    requests.next = c.requests;
    input.next = c.input;
    world.cpu = c.cpu;
    Tick();
    std::vector<std::string> lines;
    for (const auto& [kind, text] : world.logLines) {
      EXPECT_EQ(kind, LOG_WARNING) << c.name;
      lines.push_back(text);
    }
    EXPECT_EQ(lines, c.lines) << c.name;
    EXPECT_EQ(monitor.m_nLowLoadCount, c.countAfter) << c.name;
  }
}

// Once a run, at the first tick from which the action is at most Warn
// seconds away; input starts a new run with a warning of its own.
TEST_F(ActivityTickTest, TheWarningComesOnceAMinuteBeforeTheAction) {
  const std::string warning =
      "ShowNotification まもなくスタンバイに移行します。マウスかキーボードを操作すると取り消されます。";
  struct Case {
    const char* name;
    std::int32_t maxTime, interval, warn;
    std::optional<PowerMethod> method;
    int atCount;  // the count after which it shows; 0: never
  };
  const Case cases[] = {
      {"five minutes, a minute ahead", 5, 1, 60, PowerMethod::Standby, 240},
      {"ten-second ticks", 5, 10, 60, PowerMethod::Standby, 24},
      {"a run shorter than the warning: at once", 1, 10, 120, PowerMethod::Standby, 1},
      {"a warning shorter than a tick: the last tick before", 1, 10, 5, PowerMethod::Standby, 5},
      {"Warn=0: none", 5, 1, 0, PowerMethod::Standby, 0},
      {"no action would be attempted: none", 5, 1, 60, std::nullopt, 0},
  };
  for (const Case& c : cases) {
    settings.Warn = c.warn;
    world.plannedMethod = c.method;
    Start(c.maxTime, c.interval);
    const int target = monitor.TargetTicks();
    int shownAt = 0;
    for (int count = 1; count < target; ++count) {
      Tick();
      if (world.Count(warning) == 1 && shownAt == 0) shownAt = count;
    }
    EXPECT_EQ(shownAt, c.atCount) << c.name;
    EXPECT_EQ(world.Count(warning), c.atCount ? 1 : 0) << c.name;
    if (!c.atCount) continue;
    monitor.OnInputActivity();  // the user came back: a new run
    EXPECT_EQ(world.Count("HideNotification"), 1) << c.name;
    world.Clear();
    for (int count = 1; count < target; ++count) Tick();
    EXPECT_EQ(world.Count(warning), 1) << c.name;
  }

  // The shell did not take it (its taskbar was being recreated): the next
  // tick tries again.
  settings.Warn = 60;
  world.plannedMethod = PowerMethod::Standby;
  Start(1, 10);
  world.notificationTaken = false;
  Tick();
  world.notificationTaken = true;
  Tick(3);
  EXPECT_EQ(world.Count(warning), 2);
}

}  // namespace
}  // namespace sopora
