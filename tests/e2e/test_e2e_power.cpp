// The whole power path of the real Sopora.exe under Wine, through the
// stand-in powrprof.dll: what the machine can do, the calls that follow
// (or do not) when the time runs out, the start-up warning, and the marks
// in the settings dialog's list.
#include <gtest/gtest.h>

#include "monitor/power_controller.h"
#include "remote_list.h"
#include "res/resource.h"
#include "scenario_support.h"

namespace sopora::e2e {
namespace {

// T = 6 ticks, the test's ticks the only ones.
const std::string SIX_TICKS = "MAXTime=60\r\nInterval=600\r\n";

const char* const DESKTOP = "[Capabilities]\r\nS3=1\r\nS4=1\r\nHiberFile=1\r\n";
const char* const MODERN_LAPTOP_HIBERNATION_OFF = "[Capabilities]\r\nS3=0\r\nS4=0\r\nHiberFile=0\r\nAoAc=1\r\n";

const std::string NO_S3_REASON =
    "このPCはスタンバイ(S3)に対応していません(モダンスタンバイ)。シャットダウンを選んでください";

std::vector<std::string> SuspendCalls(const SoporaProcess& sopora) {
  std::vector<std::string> calls;
  const std::string log = ReadFileText(sopora.File(L"fakepowrprof.log"));
  for (std::size_t at = log.find("SetSuspendState"); at != std::string::npos; at = log.find("SetSuspendState", at + 1)) {
    calls.push_back(log.substr(at, log.find_first_of("\r\n", at) - at));
  }
  return calls;
}

TEST(PowerE2e, ADesktopGoesIntoStandbyAndHibernationThroughSetSuspendState) {
  struct Case {
    int method;
    LogLine attempt;
    std::string call;
  };
  const Case cases[] = {
      {0, STANDBY_ATTEMPT, "SetSuspendState hibernate=0 force=0 wakeupEventsDisabled=0 -> 1"},
      {1, {1, "省電力状態検知のため休止状態を試行します"}, "SetSuspendState hibernate=1 force=0 wakeupEventsDisabled=0 -> 1"},
  };
  for (const Case& c : cases) {
    SoporaProcess sopora(L"desktop power " + std::to_wstring(c.method));
    sopora.WriteSettings(SIX_TICKS + "Method=" + std::to_string(c.method) + "\r\n");
    sopora.SetPowerProfile(DESKTOP);
    ASSERT_TRUE(sopora.Start());
    EXPECT_EQ(sopora.Log(), STARTUP);  // nothing to warn about
    sopora.Tick(5);
    EXPECT_TRUE(SuspendCalls(sopora).empty());
    sopora.Tick(1);
    EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{c.attempt});
    EXPECT_EQ(SuspendCalls(sopora), std::vector<std::string>{c.call});
  }
}

TEST(PowerE2e, ARefusedSuspendIsLogged) {
  SoporaProcess sopora(L"refused suspend");
  sopora.WriteSettings(SIX_TICKS);
  sopora.SetPowerProfile(std::string(DESKTOP) + "[SetSuspendState]\r\nResult=0\r\nError=50\r\n");
  ASSERT_TRUE(sopora.Start());
  sopora.Tick(6);
  EXPECT_EQ(sopora.LogSince(STARTUP.size()),
            (std::vector<LogLine>{STANDBY_ATTEMPT, {2, "スタンバイへの移行に失敗しました(エラーコード=50)"}}));
}

// A Modern Standby laptop with hibernation switched off, standby chosen:
// told at start-up, told once (in the log and at the tray icon) when the
// time runs out, nothing attempted, and the count goes on.
TEST(PowerE2e, AnActionTheMachineCannotPerformIsNeverAttempted) {
  SoporaProcess sopora(L"modern standby");
  sopora.WriteSettings(SIX_TICKS);
  sopora.SetPowerProfile(MODERN_LAPTOP_HIBERNATION_OFF);
  ASSERT_TRUE(sopora.Start());
  std::vector<LogLine> expected = STARTUP;
  expected.push_back({2, NO_S3_REASON});
  ASSERT_TRUE(WaitFor([&] { return sopora.Log() == expected; }));
  ASSERT_TRUE(WaitFor([] { return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr; }));
  PumpMessages(1000);  // the icon is in the notification area

  sopora.Tick(6);
  const std::string skipped = "スタンバイへの移行は行いません。" + NO_S3_REASON;
  expected.push_back({2, skipped});
  expected.push_back(COUNTER_RESET);
  EXPECT_EQ(sopora.Log(), expected);
  EXPECT_TRUE(WaitFor([&] { return std::ranges::count(BalloonTexts(), skipped) == 1; }))
      << ::testing::PrintToString(BalloonTexts());
  sopora.Tick(12);  // two more runs to the target: counted again, and silent
  EXPECT_EQ(sopora.Log(), expected);
  EXPECT_TRUE(SuspendCalls(sopora).empty());
}

std::string MethodItem(HWND settings, int index) {
  wchar_t text[128] = {};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(GetDlgItem(settings, IDC_METHOD), CB_GETLBTEXT, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000, &ignored);
  return NarrowCp932(text);
}

TEST(PowerE2e, TheSettingsDialogMarksWhatThisMachineCannotDo) {
  SoporaProcess sopora(L"method marks");
  sopora.SetPowerProfile(MODERN_LAPTOP_HIBERNATION_OFF);
  ASSERT_TRUE(sopora.Start());
  HWND settings = ShowSettings(sopora);
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(MethodItem(settings, 0), "スタンバイ（このPCでは使えません）");
  EXPECT_EQ(MethodItem(settings, 1), "休止状態（このPCでは使えません）");
  EXPECT_EQ(MethodItem(settings, 2), "シャットダウン");
  // Opened the way a user opens it, for the picture.
  SetForegroundWindow(settings);
  RECT box;
  GetWindowRect(GetDlgItem(settings, IDC_METHOD), &box);
  RunHostCommand("/usr/bin/xdotool mousemove " + std::to_string(box.right - 8) + " " +
                 std::to_string((box.top + box.bottom) / 2) + " click 1");
  Screenshot("settings-methods");
  RunHostCommand("/usr/bin/xdotool key Escape");
  PumpMessages(300);

  // Choosing one says why, in the line under the list: no box in the way,
  // also not while arrowing through the list.
  EXPECT_EQ(ControlText(settings, IDC_METHOD_REASON),
            "このPCはスタンバイ(S3)に対応していません(モダンスタンバイ)。\nシャットダウンを選んでください");
  ControlMessage(settings, IDC_METHOD, CB_SETCURSEL, 1);
  SendMessageW(settings, WM_COMMAND, MAKEWPARAM(IDC_METHOD, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(settings, IDC_METHOD)));
  EXPECT_EQ(ControlText(settings, IDC_METHOD_REASON), "休止状態が無効です。\npowercfg /hibernate on で有効になります");
  PumpMessages(300);
  EXPECT_TRUE(MessageBoxesOf(sopora).empty());
  Screenshot("settings-method-reason");

  // Hibernation switched on meanwhile: the dialog asks again when shown.
  Click(settings, IDCANCEL);
  sopora.SetPowerProfile("[Capabilities]\r\nS3=0\r\nS4=1\r\nHiberFile=1\r\nAoAc=1\r\n");
  settings = ShowSettings(sopora);
  EXPECT_EQ(MethodItem(settings, 1), "休止状態");
  EXPECT_EQ(ControlMessage(settings, IDC_METHOD, CB_GETCURSEL), 1);  // the choice stays
  EXPECT_EQ(ControlText(settings, IDC_METHOD_REASON), "");
}

// Hibernation chosen on a machine where it is off; the user switches it on
// (powercfg /hibernate on) while Sopora runs: the next action hibernates,
// without a restart of Sopora, and the log says what changed.
TEST(PowerE2e, HibernationSwitchedOnWhileRunningIsUsedAtTheNextAction) {
  SoporaProcess sopora(L"hibernation switched on");
  sopora.WriteSettings(SIX_TICKS + "Method=1\r\n");
  sopora.SetPowerProfile("[Capabilities]\r\nS3=1\r\nS4=0\r\nHiberFile=0\r\n");
  ASSERT_TRUE(sopora.Start());
  std::vector<LogLine> expected = STARTUP;
  expected.push_back({2, "休止状態が無効です。powercfg /hibernate on で有効になります"});
  ASSERT_TRUE(WaitFor([&] { return sopora.Log() == expected; }));

  sopora.SetPowerProfile(DESKTOP);
  sopora.Tick(6);
  expected.push_back({0, "休止状態が使えるようになりました。"});
  expected.push_back({1, "省電力状態検知のため休止状態を試行します"});
  EXPECT_EQ(sopora.Log(), expected);
  EXPECT_EQ(SuspendCalls(sopora),
            std::vector<std::string>{"SetSuspendState hibernate=1 force=0 wakeupEventsDisabled=0 -> 1"});
}


// A window with unsaved work: it refuses to let the session end, as an
// editor asking to save does.
class UnsavedWork {
 public:
  UnsavedWork() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Refuse;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"SoporaE2eUnsavedWork";
    RegisterClassW(&windowClass);
    m_window = CreateWindowExW(0, windowClass.lpszClassName, L"未保存の文書 - メモ帳", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               60, 60, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  ~UnsavedWork() { DestroyWindow(m_window); }
  UnsavedWork(const UnsavedWork&) = delete;
  UnsavedWork& operator=(const UnsavedWork&) = delete;
  static int Queries() { return s_queries; }

 private:
  static LRESULT CALLBACK Refuse(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) {
      ++s_queries;
      return FALSE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  static inline int s_queries = 0;
  HWND m_window;
};

// Shutdown chosen; a program with unsaved work refuses to end (Windows
// asks it, since Sopora no longer forces programs closed): the shutdown
// does not happen. Whether Windows says so (WM_ENDSESSION FALSE) or Sopora
// is simply still running a minute later, the log says so once and the
// count starts again.
TEST(ShutdownE2e, AShutdownThatDoesNotHappenIsLoggedAndTheCountStartsAgain) {
  const LogLine attempt{1, "CPU負荷低下のためシャットダウンを試行します"};
  const LogLine abandoned{1, "シャットダウンが中止されました。監視を再開します。"};
  UnsavedWork document;
  SoporaProcess sopora(L"shutdown refused");
  sopora.WriteSettings(SIX_TICKS + "Method=2\r\n");
  ASSERT_TRUE(sopora.Start());
  ASSERT_GT(sopora.ProcessId(), GetCurrentProcessId());  // asked after this program, which refuses first

  sopora.Tick(6);
  ASSERT_TRUE(WaitFor([] {
    PumpMessages(100);
    return UnsavedWork::Queries() > 0;
  }));
  PumpMessages(2000);
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{attempt});  // not asked to end: it runs on
  sopora.Send(WM_TIMER, TIMER_SHUTDOWN_CHECK);  // a minute later
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), (std::vector<LogLine>{attempt, abandoned}));
  sopora.Send(WM_TIMER, TIMER_SHUTDOWN_CHECK);  // said once
  EXPECT_EQ(sopora.LogSince(STARTUP.size()).size(), 2u);

  sopora.Tick(5);  // counting again: the next attempt after a full run
  EXPECT_EQ(sopora.LogSince(STARTUP.size()).size(), 2u);
  sopora.Tick(1);
  EXPECT_EQ(sopora.LogSince(STARTUP.size()).back(), attempt);
  PumpMessages(2000);  // this program refuses again
  sopora.Send(WM_ENDSESSION, FALSE);  // Windows ends the query: the shutdown is off
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), (std::vector<LogLine>{attempt, abandoned, attempt, abandoned}));
}

}  // namespace
}  // namespace sopora::e2e
