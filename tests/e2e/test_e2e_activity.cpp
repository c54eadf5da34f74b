// What Sopora hears besides the load and its hooks, against the real
// Sopora.exe under Wine: another session in use (through the stand-in
// wtsapi32.dll), input the hooks cannot hear (through the session's last
// input time), programs that ask to stay awake (through the stand-in
// powrprof.dll), sound where Wine cannot meter it, the status line that
// says what holds the count, and the warning before the action.
#include <gtest/gtest.h>

#include "hooklib/input_activity.h"
#include "remote_list.h"
#include "res/resource.h"
#include "scenario_support.h"
#include "win/support/listener_mapping.h"

namespace sopora::e2e {
namespace {

// T = 6 ticks, the test's ticks the only ones.
const std::string SIX_TICKS = "MAXTime=60\r\nInterval=600\r\n";

// The current time in the 100 ns units Windows reports sessions' input in.
std::string Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return std::to_string((ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime);
}

// Sopora's own session, then another one.
std::string Sessions(const std::string& own, const std::string& other) {
  return "[Sessions]\r\nCount=2\r\n[Session0]\r\nId=own\r\n" + own + "[Session1]\r\nId=7\r\n" + other;
}
const std::string OWN_IN_USE = "State=0\r\nUser=user\r\nLastInput=current\r\n";
const std::string OWN_AWAY = "State=4\r\nUser=user\r\nLastInput=unknown\r\n";  // WTSDisconnected

std::string StatusLine(SoporaProcess& sopora) {
  const HWND settings = ShowSettings(sopora);
  return settings ? ControlText(settings, IDC_STATUS_LINE) : "(no settings dialog)";
}

// A user connected by Remote Desktop keeps typing: no standby however long
// the load stays low; the status line says why, and the run it ended is
// logged. Once the typing stops, standby comes after a full run.
TEST(ActivityE2e, AnotherSessionInUseHoldsStandbyUntilItsInputStops) {
  SoporaProcess sopora(L"remote user");
  sopora.WriteSettings(SIX_TICKS);
  const auto typing = [&] { sopora.SetSessions(Sessions(OWN_IN_USE, "State=0\r\nUser=リモート\r\nLastInput=" + Now() + "\r\n")); };
  typing();
  ASSERT_TRUE(sopora.Start());
  sopora.Tick(3);  // the first tick sees the session's input; then it types no more
  typing();
  sopora.Tick(1);
  const LogLine elsewhere{1, "他のセッションでの操作を検知しました"};
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{elsewhere});
  EXPECT_EQ(StatusLine(sopora), "他のセッションで操作中");
  for (int tick = 0; tick < 8; ++tick) {
    typing();
    sopora.Tick(1);
  }
  EXPECT_EQ(sopora.LogSince(STARTUP.size()).size(), 1u);  // held: no standby
  Screenshot("settings-status-other-session");

  sopora.Tick(5);  // it stopped typing
  EXPECT_EQ(sopora.LogSince(STARTUP.size()).size(), 1u);
  sopora.Tick(1);
  EXPECT_EQ(sopora.LogSince(STARTUP.size()).back(), STANDBY_ATTEMPT);
}

// Another session in use with no input time, or not described, holds the
// count whatever Sopora's own session does, said once; locked, it does not.
TEST(ActivityE2e, AnUnknownOtherSessionHoldsTheCountUntilItIsLocked) {
  SoporaProcess sopora(L"unknown other session");
  sopora.WriteSettings(SIX_TICKS);
  const LogLine held{1, "他のセッションが使用中のため、省電力を保留しています"};
  const std::string unknown = "State=0\r\nUser=二人目\r\nLastInput=unknown\r\n";
  sopora.SetSessions(Sessions(OWN_IN_USE, unknown));
  ASSERT_TRUE(sopora.Start());
  sopora.Tick(8);
  sopora.SetSessions(Sessions(OWN_AWAY, "State=0\r\nQuery=fail\r\n"));
  sopora.Tick(8);
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{held});
  EXPECT_EQ(StatusLine(sopora), "他のセッションで操作中");

  sopora.SetSessions(Sessions(OWN_IN_USE, unknown + "Locked=1\r\n"));
  sopora.Tick(6);
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), (std::vector<LogLine>{held, STANDBY_ATTEMPT}));
}

// With Sopora deaf to its hooks (here another program took the name the
// hooks look Sopora up by, so none are installed; Windows may equally
// remove a hook that timed out), key presses with the pointer still are
// heard through the session's last input time, and so is a 2-pixel move.
// Wine updates that time for input to one of its windows only: the input
// goes to a test window.
TEST(ActivityE2e, InputTheHooksCannotHearIsHeardThroughTheSessionsLastInputTime) {
  TestWindow window(L"Sopora 入力テスト", 100, 100);
  const UniqueKernelHandle taken = TakeTheListenerName(window.Get());
  ASSERT_TRUE(taken);
  SoporaProcess sopora(L"deaf hooks");
  sopora.WriteSettings(SIX_TICKS);
  ASSERT_TRUE(sopora.Start());
  RunHostCommand("/usr/bin/xdotool mousemove 250 200");  // the pointer rests over the test window
  PumpMessages(300);
  sopora.Tick(3);

  PressAKeyIn(window);
  sopora.Tick(1);
  const LogLine unheard{1, "フックで検知できない入力を検知しました"};
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{unheard});  // it ended a run of 3 of 6

  LASTINPUTINFO before{sizeof before, 0};
  GetLastInputInfo(&before);
  RunHostCommand("/usr/bin/xdotool mousemove_relative 2 2");
  PumpMessages(500);
  LASTINPUTINFO after{sizeof after, 0};
  GetLastInputInfo(&after);
  EXPECT_NE(after.dwTime, before.dwTime);  // Windows saw the move
  sopora.Tick(5);  // had the move not counted, the sixth low tick would have been the last of these
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{unheard});
  sopora.Tick(1);
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), (std::vector<LogLine>{unheard, STANDBY_ATTEMPT}));
}

// A program that asks Windows to keep the display on holds standby while
// 他のアプリの省電力抑止要求に従う is ticked (at once, without an apply,
// like the monitoring boxes); Sopora.ini gets the key only with 更新.
TEST(ActivityE2e, AProgramsDisplayRequestHoldsStandbyOnlyWithTheSetting) {
  SoporaProcess sopora(L"keep-awake request");
  sopora.WriteSettings(SIX_TICKS);
  sopora.SetPowerProfile("[ExecutionState]\r\nFlags=2\r\n");  // ES_DISPLAY_REQUIRED: a video playing
  ASSERT_TRUE(sopora.Start());
  sopora.Tick(6);
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{STANDBY_ATTEMPT});  // off by default

  sopora.Command(ID_PAUSE_RESUME);  // starts the count again (and pauses)
  sopora.Command(ID_PAUSE_RESUME);
  const std::size_t before = sopora.Log().size();
  const HWND settings = ShowSettings(sopora);
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(ControlMessage(settings, IDC_REQUESTS, BM_GETCHECK), BST_UNCHECKED);
  Click(settings, IDC_REQUESTS);
  sopora.Tick(12);
  EXPECT_EQ(sopora.Log().size(), before);
  EXPECT_EQ(ControlText(settings, IDC_STATUS_LINE), "アプリの要求：ディスプレイ");
  Screenshot("settings-138-requests");
  Click(settings, IDCANCEL);
  sopora.Tick(6);
  EXPECT_EQ(sopora.Log().size(), before);  // still in effect after Cancel
  EXPECT_EQ(IniText(sopora).find("Requests"), std::string::npos);

  const HWND again = ShowSettings(sopora);
  ASSERT_NE(again, nullptr);
  Click(again, IDC_UPDATE);
  EXPECT_TRUE(IniText(sopora).ends_with("Disk=0\r\nRequests=1\r\n"));
  Click(again, IDC_REQUESTS);  // off: the request holds nothing any more
  sopora.Tick(2);
  EXPECT_TRUE(ControlText(again, IDC_STATUS_LINE).starts_with("監視中（省電力まで ")) << ControlText(again, IDC_STATUS_LINE);
}

// Wine's outputs have no peak meter (a prefix may have no output, or no sound
// system): with the setting on, the ticks run to standby, saying nothing.
TEST(ActivityE2e, WithoutAPeakMeterSoundHoldsNothing) {
  SoporaProcess sopora(L"sound");
  sopora.WriteSettings(SIX_TICKS + "Requests=1\r\n");
  ASSERT_TRUE(sopora.Start());
  sopora.Tick(6);
  std::vector<LogLine> lines = sopora.LogSince(STARTUP.size());
  std::erase_if(lines, [](const LogLine& line) { return line.text.starts_with("音声の再生を確認できません"); });
  EXPECT_EQ(lines, std::vector<LogLine>{STANDBY_ATTEMPT});
}

// A user reading without touching anything is idle: a minute before the
// standby the tray icon says so, and any input would start the count again.
// (Run with a notification area of its own: see NotificationE2e in CMake.)
TEST(NotificationE2e, ANotificationWarnsAMinuteBeforeStandby) {
  SoporaProcess sopora(L"warning");
  sopora.WriteSettings("MAXTime=1\r\nInterval=10\r\n");  // T = 6 ticks of 10 s: a minute ahead at the first
  ASSERT_TRUE(sopora.Start());
  // A session just started brings up its notification area a little later.
  ASSERT_TRUE(WaitFor([] { return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr; }));
  PumpMessages(1000);
  sopora.Tick(1);
  const std::string text = "まもなくスタンバイに移行します。マウスかキーボードを操作すると取り消されます。";
  const bool found = WaitFor([&] {
    const std::vector<std::string> texts = BalloonTexts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  });
  if (!found) Screenshot("warning-missing");
  ASSERT_TRUE(found) << ::testing::PrintToString(BalloonTexts());
  Screenshot("warning-balloon");
  sopora.Post(WM_INPUT_ACTIVITY);  // the balloon goes, well before the shell's own 10 seconds
  const auto gone = [&] { const auto texts = BalloonTexts(); return std::ranges::find(texts, text) == texts.end(); };
  EXPECT_TRUE(WaitFor(gone, 3000));
  sopora.Tick(5);
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{});
  sopora.Tick(1);
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{STANDBY_ATTEMPT});
}

}  // namespace
}  // namespace sopora::e2e
