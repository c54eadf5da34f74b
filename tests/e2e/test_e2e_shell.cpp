// The real Sopora.exe and SoporaHook.dll under Wine: start-up, single
// instance, the counter fallback, idle runs ending in standby, resume and the
// restart countdown, real keyboard and mouse input, the tray, exception
// windows, and the shell's own messages.
#include <gtest/gtest.h>

#include <cstdio>

#include "hooklib/input_activity.h"
#include "res/resource.h"
#include "scenario_support.h"
#include "win/support/listener_mapping.h"

namespace sopora::e2e {
namespace {


// T = MAXTime x 60 / Interval = 6 ticks; the real timer would fire only
// every ten minutes, so the test's own ticks are the only ones.
const std::string SIX_TICKS = "MAXTime=60\r\nInterval=600\r\n";


// A fresh run of six low ticks: nothing for five, the standby attempt on
// the sixth.
void ExpectStandbyOnTheSixthLowTick(SoporaProcess& sopora) {
  sopora.Tick(5);
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{});
  sopora.Tick(1);
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{STANDBY_ATTEMPT});
}

// The folder's name has a space and Shift JIS characters whose second byte
// is a backslash: the data files still land beside the program.
TEST(ShellE2e, FirstStartInAnEmptyFolder) {
  SoporaProcess sopora(L"first start");
  ASSERT_TRUE(sopora.Start());
  EXPECT_EQ(sopora.Log(), STARTUP);
  EXPECT_FALSE(IsWindowVisible(sopora.Frame()));  // only the tray icon shows
  EXPECT_FALSE(std::filesystem::exists(sopora.File(L"Sopora.ini")));
  EXPECT_FALSE(std::filesystem::exists(sopora.File(L"SoporaWnd.dat")));
  sopora.Tick();
  EXPECT_EQ(ReadFileBytes(sopora.File(L"SoporaWnd.dat")), Bytes{0x01});
  Screenshot("shell-started");

  sopora.Command(ID_TRAY_EXIT);
  ASSERT_TRUE(sopora.WaitForExit());
  EXPECT_EQ(sopora.Log().back(), (LogLine{0, "Sopora を終了します"}));
  EXPECT_EQ(sopora.Log().size(), STARTUP.size() + 1);
  EXPECT_FALSE(std::filesystem::exists(sopora.File(L"Sopora.ini")));
}

TEST(ShellE2e, ASecondStartEndsAtOnceAndWritesNothing) {
  SoporaProcess first(L"single instance");
  ASSERT_TRUE(first.Start());
  SoporaProcess second(L"single instance 2");
  ASSERT_TRUE(second.Start(false));
  ASSERT_TRUE(second.WaitForExit());
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_FALSE(std::filesystem::exists(second.File(L"Sopora.dat")));
  EXPECT_EQ(first.Log(), STARTUP);
}

TEST(ShellE2e, WithoutAnyProcessorCounterTheProgramEndsAfterStartUp) {
  SoporaProcess sopora(L"no processor counter");
  sopora.SetScript("[Processor]\r\nAdd=3221228472\r\n[Process]\r\nAdd=3221228472\r\n");
  ASSERT_TRUE(sopora.Start(false));
  ASSERT_TRUE(sopora.WaitForExit());
  EXPECT_EQ(sopora.ExitCode(), 0u);
  // The usual start-up, with both processor methods failing in place of the first's success.
  std::vector<LogLine> expected = STARTUP;
  expected[1] = {1, "第１方式：CPU負荷監視クエリー生成失敗(\\Processor(_Total)\\% Processor Time)"};
  expected.insert(expected.begin() + 2,
                  {2, "第２方式：CPU負荷監視クエリー生成失敗(\\Process(Idle)\\% Processor Time)"});
  EXPECT_EQ(sopora.Log(), expected);
}

TEST(ShellE2e, AnIdleRunEndsInStandbyAndResumeOffersTheRestart) {
  SoporaProcess sopora(L"standby and resume");
  sopora.WriteSettings(SIX_TICKS + "Retry=1\r\nResumeReboot=1\r\n");
  ASSERT_TRUE(sopora.Start());
  sopora.Tick(5);
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{});
  sopora.Tick();
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), (std::vector<LogLine>{STANDBY_ATTEMPT, COUNTER_RESET}));

  const std::size_t beforeResume = sopora.Log().size();
  sopora.Post(WM_POWERBROADCAST, 7);  // PBT_APMRESUMESUSPEND
  const HWND countdown = sopora.WaitForWindowTitled("Sopora 再起動確認");
  ASSERT_NE(countdown, nullptr);
  EXPECT_EQ(sopora.LogSince(beforeResume),
            (std::vector<LogLine>{{6, "省電力状態から復帰しました"}, COUNTER_RESET}));
  const std::string remaining = WindowText(GetDlgItem(countdown, IDC_REBOOT_REMAIN));
  EXPECT_TRUE(remaining == "残り時間【30】秒" || remaining == "残り時間【29】秒") << remaining;
  Screenshot("countdown-143");

  PostMessageW(countdown, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(countdown); }));
  EXPECT_EQ(sopora.LogSince(beforeResume).size(), 2u);  // cancelled: nothing more
  // Monitoring restarted on resume: a new run reaches the target again.
  sopora.Tick(6);
  EXPECT_EQ(sopora.LogSince(beforeResume + 2), (std::vector<LogLine>{STANDBY_ATTEMPT, COUNTER_RESET}));
}

TEST(ShellE2e, ABusyTickAfterALongLowRunReportsTheLoads) {
  SoporaProcess sopora(L"load report");
  sopora.WriteSettings(SIX_TICKS + "Network=1\r\nDisk=1\r\n");
  ASSERT_TRUE(sopora.Start());
  sopora.Tick(2);  // 2 of 6: 33 %
  sopora.SetLoad(95.7, 12, 3999);
  sopora.Tick();
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), (std::vector<LogLine>{{1, "CPU=95% NETWORK=12KB/sec DISK=3KB/sec)"}}));
  sopora.SetLoad(1, 0, 0);
  sopora.Tick(1);  // 1 of 6 then busy: 16 %, no report
  sopora.SetLoad(95.7, 12, 3999);
  sopora.Tick();
  EXPECT_EQ(sopora.LogSince(STARTUP.size()).size(), 1u);
}

TEST(ShellE2e, RealMouseAndKeyboardInputRestartTheRun) {
  SoporaProcess sopora(L"real input");
  sopora.WriteSettings(SIX_TICKS);
  ASSERT_TRUE(sopora.Start());
  TestWindow window(L"Sopora 入力テスト", 100, 100);
  RunHostCommand("/usr/bin/xdotool mousemove 200 180");
  PumpMessages(300);
  sopora.Tick(4);

  RunHostCommand("/usr/bin/xdotool mousemove 202 181");  // jitter, back onto the same pixel (one command
  PumpMessages(200);                                      // each: Wine merges motion that ends where it began)
  RunHostCommand("/usr/bin/xdotool mousemove 200 180");
  PumpMessages(500);
  sopora.Tick(1);  // the run of 4 of 6 goes on: no line
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{});

  RunHostCommand("/usr/bin/xdotool mousemove 230 200");
  PumpMessages(500);
  sopora.Tick(5);  // without the input the sixth low tick would have been the first of these
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{});

  PressAKeyIn(window);
  ExpectStandbyOnTheSixthLowTick(sopora);
}

// This program keeps the hook library loaded after the first run has ended;
// a second run from the same folder, with the same library, is heard all
// the same: nothing in this program keeps the first run's listener alive.
TEST(ShellE2e, ARunStartedAgainIsHeardByProgramsThatKeptTheHookLibrary) {
  SoporaProcess sopora(L"started again");
  sopora.WriteSettings(SIX_TICKS);
  TestWindow window(L"Sopora 入力テスト", 100, 100);
  const std::filesystem::path library = sopora.File(L"SoporaHook.dll");
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    if (run == 2) {
      ASSERT_NE(GetModuleHandleW(library.c_str()), nullptr);
    }
    ASSERT_TRUE(sopora.Start());
    EXPECT_EQ(ListenerOfTheSession(), std::make_pair(sopora.Frame(), sopora.ProcessId()));
    sopora.Tick(4);
    PressAKeyIn(window);
    sopora.Tick(5);  // without the key the sixth low tick would have been the second of these
    EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{});
    sopora.Tick(1);
    EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{STANDBY_ATTEMPT});

    sopora.Command(ID_TRAY_EXIT);
    ASSERT_TRUE(sopora.WaitForExit());
    sopora.Kill();
    EXPECT_EQ(ListenerOfTheSession(), std::nullopt);
    std::filesystem::remove(sopora.File(L"Sopora.dat"));  // so the next start is waited for by its own log
  }
}

// Counts the input reports a window of this program receives.
class ReportCounter {
 public:
  ReportCounter() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Count;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"SoporaE2eReportCounter";
    RegisterClassW(&windowClass);
    m_window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               windowClass.hInstance, nullptr);
    s_reports = 0;
  }
  ~ReportCounter() { DestroyWindow(m_window); }
  ReportCounter(const ReportCounter&) = delete;
  ReportCounter& operator=(const ReportCounter&) = delete;
  HWND Get() const { return m_window; }
  int Reports() const { return s_reports; }

 private:
  static LRESULT CALLBACK Count(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INPUT_ACTIVITY) ++s_reports;
    return DefWindowProcW(window, message, wParam, lParam);
  }
  static inline int s_reports = 0;
  HWND m_window = nullptr;
};

// Another program made the mapping first, naming a window of its own: the
// hooks would tell it of every input. Sopora installs none, says so, and
// learns of input from the session's last input time at each tick.
TEST(ShellE2e, AListenerNameTakenByAnotherProgramGetsNoReportsAndInputIsStillHeard) {
  ReportCounter squatter;
  const UniqueKernelHandle taken = TakeTheListenerName(squatter.Get());
  ASSERT_TRUE(taken);

  SoporaProcess sopora(L"listener name taken");
  sopora.WriteSettings(SIX_TICKS);
  ASSERT_TRUE(sopora.Start());
  std::vector<LogLine> expected = STARTUP;
  expected[6] = {2, "I/Oフック開始失敗(入力はシステムの最終入力時刻で検知します)"};
  EXPECT_EQ(sopora.Log(), expected);

  TestWindow window(L"Sopora 入力テスト", 100, 100);
  sopora.Tick(4);
  PressAKeyIn(window);
  RunHostCommand("/usr/bin/xdotool mousemove 200 180 mousemove 240 210");
  PumpMessages(500);
  EXPECT_EQ(squatter.Reports(), 0);
  sopora.Tick(5);  // without the input the sixth low tick would have been the second of these
  const LogLine unheard{1, "フックで検知できない入力を検知しました"};  // it ended a run of 4 of 6 ticks
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{unheard});
  sopora.Tick(1);
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), (std::vector<LogLine>{unheard, STANDBY_ATTEMPT}));
}

TEST(ShellE2e, TheTrayIconPausesResumesOpensItsMenuAndExits) {
  SoporaProcess sopora(L"tray");
  sopora.WriteSettings(SIX_TICKS);
  ASSERT_TRUE(sopora.Start());
  sopora.Tick(3);
  sopora.TrayClick(WM_LBUTTONUP);
  EXPECT_EQ(sopora.Log().back(), (LogLine{1, "監視を一時的に停止しました"}));
  sopora.Tick(10);  // paused: no power action however long
  sopora.TrayClick(WM_LBUTTONUP);
  EXPECT_EQ(sopora.Log().back(), (LogLine{1, "監視を再開しました"}));
  sopora.Tick(5);
  EXPECT_EQ(sopora.Log().back(), (LogLine{1, "監視を再開しました"}));  // the count started again
  sopora.Tick(1);
  EXPECT_EQ(sopora.Log().back(), STANDBY_ATTEMPT);

  for (UINT ignored : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_MBUTTONUP}) sopora.TrayClick(ignored);
  EXPECT_EQ(sopora.Log().back(), STANDBY_ATTEMPT);

  sopora.Post(WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_RBUTTONUP);
  HWND menu = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    const auto menus = WindowsOf(sopora.ProcessId(), L"#32768");
    for (HWND m : menus) {
      if (IsWindowVisible(m)) menu = m;
    }
    return menu != nullptr;
  }));
  Screenshot("tray-menu-140");
  sopora.Post(WM_CANCELMODE);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }));

  sopora.Command(ID_TRAY_EXIT);
  ASSERT_TRUE(sopora.WaitForExit());
  EXPECT_EQ(sopora.Log().back(), (LogLine{0, "Sopora を終了します"}));
  // Written at exit: today has its row, though no whole minute passed.
  SYSTEMTIME today;
  GetLocalTime(&today);
  char row[32];
  std::snprintf(row, sizeof row, "\r\n%04u-%02u-%02u,", today.wYear, today.wMonth, today.wDay);
  const Bytes book = ReadFileBytes(sopora.File(L"SoporaDays.csv"));
  EXPECT_NE(std::string(book.begin(), book.end()).find(row), std::string::npos);
}

TEST(ShellE2e, AnExceptionWindowHoldsTheCountUntilItCloses) {
  SoporaProcess sopora(L"exception window");
  sopora.WriteSettings(SIX_TICKS);
  Bytes list{0x01};
  ExceptWndEntry entry;
  std::memset(&entry, 0, sizeof entry);
  CopyTextToField(entry.title, "*例外テスト*");
  list.insert(list.end(), reinterpret_cast<const std::uint8_t*>(&entry),
              reinterpret_cast<const std::uint8_t*>(&entry) + sizeof entry);
  WriteFileBytes(sopora.File(L"SoporaWnd.dat"), list);
  ASSERT_TRUE(sopora.Start());

  TestWindow window(L"Sopora 例外テスト ウィンドウ", 300, 200);
  sopora.Tick(10);
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), std::vector<LogLine>{});
  Screenshot("exception-window-present");
  window.Close();
  ExpectStandbyOnTheSixthLowTick(sopora);
}

TEST(ShellE2e, TheShellsOwnMessages) {
  SoporaProcess sopora(L"shell messages");
  ASSERT_TRUE(sopora.Start());
  sopora.Send(RegisterWindowMessageW(L"TaskbarCreated"));
  EXPECT_EQ(sopora.LogSince(STARTUP.size()), (std::vector<LogLine>{{0, "タスクトレイにアイコンを登録しました"}}));
  EXPECT_EQ(sopora.Send(WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(sopora.Log().back(), (LogLine{4, "シャットダウンを行います"}));
  // Another program refused the ending: Sopora goes on listening. When the
  // session really ends, nothing of the hooks is left behind.
  const auto listener = std::make_pair(sopora.Frame(), sopora.ProcessId());
  sopora.Send(WM_ENDSESSION, FALSE);
  EXPECT_EQ(ListenerOfTheSession(), listener);
  sopora.Send(WM_ENDSESSION, TRUE);
  EXPECT_EQ(ListenerOfTheSession(), std::nullopt);
  for (WPARAM event : {0, 1}) {
    EXPECT_EQ(sopora.Send(WM_POWERBROADCAST, event), 0);
    EXPECT_EQ(sopora.Log().back(), (LogLine{7, "省電力状態へ移行します"}));
  }
  const std::size_t before = sopora.Log().size();
  sopora.Send(WM_POWERBROADCAST, 4);  // the suspend notification itself
  EXPECT_EQ(sopora.Log().size(), before);
}

TEST(ShellE2e, TheAboutBox) {
  SoporaProcess sopora(L"about box");
  ASSERT_TRUE(sopora.Start());
  sopora.Post(WM_COMMAND, ID_APP_ABOUT);  // a modal box: do not wait for it
  const HWND about = sopora.WaitForWindowTitled("Soporaのﾊﾞｰｼﾞｮﾝ情報");
  ASSERT_NE(about, nullptr);
  Screenshot("about-100");
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(about); }));
}

}  // namespace
}  // namespace sopora::e2e
