// The dialogs of the real Sopora.exe under Wine: the settings dialog with
// its live meter, the operation log viewer and the exception-window
// registration, driven through their controls; screenshots of each.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "remote_list.h"
#include "res/resource.h"
#include "scenario_support.h"

namespace sopora::e2e {
namespace {

// Pixels of the screen (the Wine desktop) under a window's client area.
class ClientPixels {
 public:
  explicit ClientPixels(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    m_width = client.right;
    m_height = client.bottom;
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    const HDC screen = GetDC(nullptr);
    m_pixels.resize(static_cast<std::size_t>(m_width) * m_height);
    for (int y = 0; y < m_height; ++y)
      for (int x = 0; x < m_width; ++x) m_pixels[y * m_width + x] = GetPixel(screen, origin.x + x, origin.y + y);
    ReleaseDC(nullptr, screen);
  }
  int Width() const { return m_width; }
  int Height() const { return m_height; }
  COLORREF At(int x, int y) const { return m_pixels[y * m_width + x]; }
  // Share of a row's pixels that have the colour.
  double RowShare(int y, COLORREF colour) const {
    int hits = 0;
    for (int x = 0; x < m_width; ++x) hits += At(x, y) == colour;
    return static_cast<double>(hits) / m_width;
  }
  int Count(COLORREF colour) const {
    int hits = 0;
    for (COLORREF c : m_pixels) hits += c == colour;
    return hits;
  }

 private:
  int m_width = 0, m_height = 0;
  std::vector<COLORREF> m_pixels;
};

TEST(DialogsE2e, TheSettingsDialogShowsTheLiveLoad) {
  SoporaProcess sopora(L"settings live");
  // T = 60 ticks; the real timer would first fire a minute from now.
  sopora.WriteSettings("MAXTime=60\r\nInterval=60\r\nCPUBorder=40\r\nNetwork=1\r\nDisk=1\r\n");
  std::string trace;
  for (int i = 0; i < 70; ++i) trace += (i ? "," : "") + std::to_string(static_cast<int>(50 + 35 * std::sin(i / 5.0)));
  sopora.SetScript("[Processor]\r\nValue=" + trace + "\r\n[TCP]\r\nValue=12\r\n[LogicalDisk]\r\nValue=3999\r\n");
  ASSERT_TRUE(sopora.Start());
  const HWND settings = ShowSettings(sopora);
  ASSERT_NE(settings, nullptr);
  sopora.Tick(61);

  EXPECT_EQ(ControlText(settings, IDC_NETWORK_TEXT), "12/(300) KB/s");
  EXPECT_EQ(ControlText(settings, IDC_DISK_TEXT), "3/(500) KB/s");
  EXPECT_EQ(ControlText(settings, IDC_EDIT_CPU_BORDER), "40");
  EXPECT_EQ(ControlText(settings, IDC_EDIT_INTERVAL), "10");  // the field only goes up to 10
  EXPECT_EQ(ControlText(settings, IDC_EDIT_MAX_TIME), "60");
  EXPECT_EQ(ControlMessage(settings, IDC_METHOD, CB_GETCURSEL), 0);
  EXPECT_EQ(ControlMessage(settings, IDC_NETWORK_BAR, PBM_GETPOS), 12);
  EXPECT_EQ(ControlMessage(settings, IDC_DISK_BAR, PBM_GETPOS), 3);
  Screenshot("settings-138");

  const HWND meter = GetDlgItem(settings, IDC_METER);
  ASSERT_NE(meter, nullptr);
  const ClientPixels pixels(meter);
  ASSERT_GT(pixels.Height(), 100);
  const int height = pixels.Height();
  EXPECT_GT(pixels.Count(RGB(0, 0, 64)), pixels.Width() * height / 2);  // mostly background
  for (int i : {2, 5, 8}) EXPECT_GT(pixels.RowShare(height * i / 10, RGB(0, 160, 0)), 0.5) << i;
  const int thresholdRow = height - height * 40 / 100;
  const double red = std::max({pixels.RowShare(thresholdRow - 1, RGB(255, 0, 0)),
                               pixels.RowShare(thresholdRow, RGB(255, 0, 0)),
                               pixels.RowShare(thresholdRow + 1, RGB(255, 0, 0))});
  EXPECT_GT(red, 0.6);
  EXPECT_GT(pixels.Count(RGB(255, 255, 255)), 300);  // the curve and the figures

  // A low run shows on the bar: 30 low ticks of 60 is half way.
  sopora.SetLoad(95, 12, 0);
  sopora.Tick();  // a busy tick ends whatever run was under way
  sopora.SetLoad(1, 12, 0);
  sopora.Tick(31);  // the display sees the count before each tick's step
  EXPECT_EQ(ControlMessage(settings, IDC_LOW_LOAD_PROGRESS, PBM_GETPOS), 50);
}

TEST(DialogsE2e, ApplyStoresWhatTheFieldsHoldCutToTheirMaxima) {
  SoporaProcess sopora(L"settings apply");
  sopora.WriteSettings("Network=1\r\n");
  sopora.SetLoad(1, 50, 0);
  ASSERT_TRUE(sopora.Start());
  HWND settings = ShowSettings(sopora);
  ASSERT_NE(settings, nullptr);

  SetControlText(settings, IDC_EDIT_INTERVAL, "75");
  Click(settings, IDC_UPDATE);  // 更新
  EXPECT_TRUE(IniHas(sopora, "Interval=10")) << IniText(sopora);
  EXPECT_EQ(ControlText(settings, IDC_EDIT_INTERVAL), "10");
  EXPECT_TRUE(IsWindowVisible(settings));

  SetControlText(settings, IDC_EDIT_MAX_TIME, "0");
  Click(settings, IDC_UPDATE);
  EXPECT_TRUE(IniHas(sopora, "MAXTime=60"));
  EXPECT_EQ(ControlText(settings, IDC_EDIT_MAX_TIME), "60");

  sopora.Tick();
  EXPECT_EQ(ControlText(settings, IDC_NETWORK_TEXT), "50/(300) KB/s");
  Click(settings, IDC_NETWORK_CHECK);  // untick network monitoring: at once in memory
  EXPECT_EQ(ControlMessage(settings, IDC_NETWORK_CHECK, BM_GETCHECK), BST_UNCHECKED);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(settings, IDC_NETWORK_BAR)));
  sopora.Tick();
  EXPECT_EQ(ControlText(settings, IDC_NETWORK_TEXT), "0/(300) KB/s");
  EXPECT_TRUE(IniHas(sopora, "Network=1"));  // the file waits for the next apply

  SetControlText(settings, IDC_EDIT_CPU_BORDER, "");
  Click(settings, IDOK);
  EXPECT_TRUE(IniHas(sopora, "CPUBorder=100"));
  EXPECT_TRUE(IniHas(sopora, "Network=0"));
  EXPECT_FALSE(IsWindowVisible(settings));  // OK applies, then hides

  // Shown again, the dialog keeps what the fields held.
  settings = ShowSettings(sopora);
  EXPECT_EQ(ControlText(settings, IDC_EDIT_CPU_BORDER), "100");
  Click(settings, IDCANCEL);
  EXPECT_FALSE(IsWindowVisible(settings));
}

TEST(DialogsE2e, ExceptionWindowsAreRegisteredByTypingAndFromTheRunningList) {
  SoporaProcess sopora(L"exception registration");
  sopora.WriteSettings("MAXTime=60\r\nInterval=600\r\n");  // T = 6
  ASSERT_TRUE(sopora.Start());
  TestWindow running(L"zzz Sopora 選択テスト", 600, 80);

  const HWND settings = ShowSettings(sopora);
  ASSERT_NE(settings, nullptr);
  ClickAndGoOn(settings, IDC_EXCEPT_BUTTON);
  const HWND registration = sopora.WaitForWindowTitled(EXCEPT_TITLE);
  ASSERT_NE(registration, nullptr);
  EXPECT_EQ(ReadFileBytes(sopora.File(L"SoporaWnd.dat")), Bytes{0x01});

  PostMessageW(registration, WM_COMMAND, ID_ADD_MANUAL, 0);  // 手入力による登録
  const HWND editor = sopora.WaitForWindowTitled(EDIT_TITLE);
  ASSERT_NE(editor, nullptr);
  SetControlText(editor, IDC_PATTERN_EDIT, "*メモ帳*");
  Screenshot("except-edit-163");
  PostMessageW(editor, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(editor); }));

  PostMessageW(registration, WM_COMMAND, ID_ADD_RUNNING, 0);  // 現稼動アプリ選択による登録
  const HWND apps = sopora.WaitForWindowTitled(RUNNING_TITLE);
  ASSERT_NE(apps, nullptr);
  SetForegroundWindow(apps);
  PumpMessages(300);
  RunHostCommand("/usr/bin/xdotool type zzz");  // the list finds the line as one types
  PumpMessages(300);
  Screenshot("running-apps-164");
  PostMessageW(apps, WM_COMMAND, IDOK, 0);  // 選択
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(apps); }));

  const HWND list = GetDlgItem(registration, IDC_PATTERN_LIST);
  ASSERT_TRUE(WaitFor([&] { return ListViewCount(list) == 2; }));
  EXPECT_EQ(RemoteListViewText(list, 0, 0), "*メモ帳*");  // sorted
  EXPECT_EQ(RemoteListViewText(list, 1, 0), "zzz Sopora 選択テスト");
  Screenshot("except-162");
  PostMessageW(registration, WM_COMMAND, IDOK, 0);  // 登録
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(registration); }));

  Bytes expected{0x01};
  for (const char* title : {"*メモ帳*", "zzz Sopora 選択テスト"}) {
    ExceptWndEntry entry;
    std::memset(&entry, 0, sizeof entry);
    CopyTextToField(entry.title, title);
    expected.insert(expected.end(), reinterpret_cast<const std::uint8_t*>(&entry),
                    reinterpret_cast<const std::uint8_t*>(&entry) + sizeof entry);
  }
  EXPECT_EQ(ReadFileBytes(sopora.File(L"SoporaWnd.dat")), expected);

  // The next ticks honour the new list: the chosen window holds the count.
  const std::size_t before = sopora.Log().size();
  sopora.Tick(8);
  EXPECT_EQ(sopora.Log().size(), before);
  running.Close();
  sopora.Tick(6);
  EXPECT_EQ(sopora.Log().back(), (LogLine{1, "省電力状態検知のためスタンバイを試行します"}));

  // Changes and then cancel: the file is untouched.
  ClickAndGoOn(settings, IDC_EXCEPT_BUTTON);
  const HWND again = sopora.WaitForWindowTitled(EXCEPT_TITLE);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(ListViewCount(GetDlgItem(again, IDC_PATTERN_LIST)), 2);
  PostMessageW(again, WM_COMMAND, ID_ADD_MANUAL, 0);
  const HWND editorAgain = sopora.WaitForWindowTitled(EDIT_TITLE);
  ASSERT_NE(editorAgain, nullptr);
  SetControlText(editorAgain, IDC_PATTERN_EDIT, "一時的");
  PostMessageW(editorAgain, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return ListViewCount(GetDlgItem(again, IDC_PATTERN_LIST)) == 3; }));
  PostMessageW(again, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(again); }));
  EXPECT_EQ(ReadFileBytes(sopora.File(L"SoporaWnd.dat")), expected);
}

TEST(DialogsE2e, TheLogViewerListsTheNewestLineFirst) {
  SoporaProcess sopora(L"log viewer");
  std::vector<LogLine> earlier;
  for (int kind = 0; kind <= 7; ++kind) earlier.push_back({kind, "種類 " + std::to_string(kind) + " の行"});
  WriteFileBytes(sopora.File(L"Sopora.dat"), LogFileOf(earlier));
  ASSERT_TRUE(sopora.Start());
  sopora.TrayClick(WM_LBUTTONUP);  // logged while the viewer is hidden
  sopora.TrayClick(WM_LBUTTONUP);

  sopora.Command(ID_SHOW_LOG);
  const HWND viewer = sopora.WaitForWindowTitled(LOG_TITLE);
  ASSERT_NE(viewer, nullptr);
  const HWND list = GetDlgItem(viewer, IDC_LOG_LIST);
  const int count = ListViewCount(list);
  EXPECT_EQ(count, static_cast<int>(sopora.Log().size()));
  EXPECT_EQ(RemoteListViewText(list, 0, 2), "監視を再開しました");
  EXPECT_EQ(RemoteListViewText(list, 1, 2), "監視を一時的に停止しました");
  EXPECT_EQ(RemoteListViewText(list, count - 1, 2), "種類 0 の行");
  EXPECT_EQ(RemoteListViewText(list, count - 1, 1), "2026/12/07 09:05:03");
  Screenshot("log-154");

  PostMessageW(viewer, WM_COMMAND, IDCANCEL, 0);  // 閉じる only hides it
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(viewer); }));
  sopora.Send(WM_QUERYENDSESSION);
  sopora.Command(ID_SHOW_LOG);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(viewer) != FALSE; }));
  EXPECT_EQ(ListViewCount(list), count + 1);
  EXPECT_EQ(RemoteListViewText(list, 0, 2), "シャットダウンを行います");
}

// The history window on days prepared before the start: its totals, a bar
// chosen with the keyboard, the awake draw kept in Sopora.ini, and Esc.
TEST(DialogsE2e, TheHistoryShowsTheTotalsOfThePreparedDays) {
  SoporaProcess sopora(L"history");
  WriteFileBytes(sopora.File(L"SoporaDays.csv"), RecentDayBook());
  ASSERT_TRUE(sopora.Start());
  sopora.Command(ID_SHOW_LOG);  // reached from the log viewer's 実績
  const HWND viewer = sopora.WaitForWindowTitled(LOG_TITLE);
  ASSERT_NE(viewer, nullptr);
  ClickAndGoOn(viewer, IDC_SHOW_HISTORY);
  const HWND history = sopora.WaitForWindowTitled(HISTORY_TITLE);
  ASSERT_NE(history, nullptr);
  EXPECT_EQ(ControlText(history, IDC_HISTORY_TOTALS),
            "期間の合計　Sopora による省電力 20.0 時間（ほかのスリープ 1.0 時間）　節電 推定 1.0 kWh");
  // Today's bar is chosen first.
  EXPECT_TRUE(ControlText(history, IDC_HISTORY_FIGURES).ends_with("内訳: 他のセッション 0.5、移行待ち 1.0"))
      << ControlText(history, IDC_HISTORY_FIGURES);
  const HWND chart = GetDlgItem(history, IDC_HISTORY_CHART);
  PostMessageW(chart, WM_KEYDOWN, VK_LEFT, 0);  // yesterday
  ASSERT_TRUE(WaitFor([&] { return ControlText(history, IDC_HISTORY_FIGURES).find("スタンバイ 8.0") != std::string::npos; }))
      << ControlText(history, IDC_HISTORY_FIGURES);
  Screenshot("history-ja");
  const std::string totals = ControlText(history, IDC_HISTORY_TOTALS);
  Click(history, IDC_HISTORY_MONTHS);  // this month's bar; the 12 months hold the same days
  SYSTEMTIME now;
  GetLocalTime(&now);
  char month[16];
  std::snprintf(month, sizeof month, "%04d-%02d　", now.wYear, now.wMonth);
  EXPECT_TRUE(ControlText(history, IDC_HISTORY_FIGURES).starts_with(month)) << ControlText(history, IDC_HISTORY_FIGURES);
  EXPECT_EQ(ControlText(history, IDC_HISTORY_TOTALS), totals);

  SetControlText(history, IDC_HISTORY_WATTS, "100");  // 8 x 98 + 12 x 99 Wh
  EXPECT_TRUE(ControlText(history, IDC_HISTORY_TOTALS).ends_with("推定 2.0 kWh")) << ControlText(history, IDC_HISTORY_TOTALS);
  PostMessageW(chart, WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(history); }));
  EXPECT_TRUE(IniHas(sopora, "Watts=100")) << IniText(sopora);
}

TEST(DialogsE2e, TheLogViewerKeepsAThousandLines) {
  SoporaProcess sopora(L"log limit");
  WriteFileBytes(sopora.File(L"Sopora.dat"), LogFileOf(std::vector<LogLine>(1000, {0, "古い行"})));
  ASSERT_TRUE(sopora.Start());
  sopora.Command(ID_SHOW_LOG);
  const HWND viewer = sopora.WaitForWindowTitled(LOG_TITLE);
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(ListViewCount(GetDlgItem(viewer, IDC_LOG_LIST)), 1000);
  EXPECT_EQ(sopora.Log().size(), 1000u);
  EXPECT_EQ(ReadFileBytes(sopora.File(L"Sopora.dat")).size(), 276001u);
}

}  // namespace
}  // namespace sopora::e2e

namespace sopora::e2e {
namespace {

TEST(DialogsE2e, AReadOnlyLogIsReportedAtStartAndTheLinesStillReachTheViewer) {
  SoporaProcess sopora(L"read-only log");
  const Bytes earlier = LogFileOf({{0, "以前の行"}});
  WriteFileBytes(sopora.File(L"Sopora.dat"), earlier);
  ASSERT_TRUE(SetFileAttributesW(sopora.File(L"Sopora.dat").c_str(), FILE_ATTRIBUTE_READONLY));
  ASSERT_TRUE(sopora.Start(false));

  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = MessageBoxesOf(sopora).empty() ? nullptr : MessageBoxesOf(sopora)[0]); }));
  EXPECT_EQ(MessageBoxText(box), "ログファイルを開けません。");
  Screenshot("message-box");
  PostMessageW(box, WM_COMMAND, IDOK, 0);

  // Start-up goes on; its lines reach the viewer only, and no box comes back.
  ASSERT_TRUE(WaitFor([&] { return !WindowsOf(sopora.ProcessId(), L"SoporaFrame").empty(); }));
  const HWND frame = WindowsOf(sopora.ProcessId(), L"SoporaFrame").front();
  PostMessageW(frame, WM_COMMAND, ID_SHOW_LOG, 0);
  const HWND viewer = sopora.WaitForWindowTitled(LOG_TITLE);
  ASSERT_NE(viewer, nullptr);
  ASSERT_TRUE(WaitFor([&] { return ListViewCount(GetDlgItem(viewer, IDC_LOG_LIST)) == 9; }));
  EXPECT_EQ(RemoteListViewText(GetDlgItem(viewer, IDC_LOG_LIST), 0, 2), "タスクトレイにアイコンを登録しました");
  EXPECT_TRUE(MessageBoxesOf(sopora).empty());
  EXPECT_EQ(ReadFileBytes(sopora.File(L"Sopora.dat")), earlier);
  SetFileAttributesW(sopora.File(L"Sopora.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A list another program holds: the last one read holds, said once in the log.
TEST(DialogsE2e, AnExceptionListThatCannotBeOpenedBringsNoBox) {
  SoporaProcess sopora(L"unreadable exception list");
  sopora.WriteSettings("MAXTime=60\r\nInterval=600\r\n");
  WriteFileBytes(sopora.File(L"SoporaWnd.dat"), Bytes{0x01});
  ASSERT_TRUE(sopora.Start());
  sopora.Tick();
  WriteFileBytes(sopora.File(L"SoporaWnd.dat"), Bytes{0x01, 0x00});  // changed, then held without sharing
  HANDLE held = CreateFileW(sopora.File(L"SoporaWnd.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  sopora.Tick(3);
  EXPECT_TRUE(MessageBoxesOf(sopora).empty());
  const std::vector<LogLine> lines = LogIn(sopora.File(L"Sopora.dat"));
  EXPECT_EQ(std::count(lines.begin(), lines.end(), LogLine{1, "例外ウィンドウ一覧を読めません。前回読めた一覧を使います"}), 1);
  CloseHandle(held);
}

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

TEST(DialogsE2e, APolicyValueWinsOverTheIniAndIsNeverWrittenToIt) {
  PolicyValues policy;
  SoporaProcess sopora(L"policy settings");
  sopora.WriteSettings("Interval=3\r\nMAXTime=20\r\nCPUBorder=40\r\n");
  policy.Set(HKEY_CURRENT_USER, L"Interval", 9);
  policy.Set(HKEY_LOCAL_MACHINE, L"Interval", 7);  // the machine's value wins
  ASSERT_TRUE(sopora.Start());
  const HWND settings = ShowSettings(sopora);
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(ControlText(settings, IDC_EDIT_INTERVAL), "7");
  EXPECT_FALSE(Enabled(settings, IDC_EDIT_INTERVAL));
  EXPECT_FALSE(Enabled(settings, IDC_SPIN_INTERVAL));
  EXPECT_TRUE(Enabled(settings, IDC_EDIT_CPU_BORDER));
  const HWND line = GetDlgItem(settings, IDC_POLICY_MANAGED);
  EXPECT_TRUE(IsWindowVisible(line));
  RECT lineRect, client;
  GetWindowRect(line, &lineRect);
  MapWindowPoints(nullptr, settings, reinterpret_cast<POINT*>(&lineRect), 2);
  GetClientRect(settings, &client);
  EXPECT_LE(lineRect.bottom, client.bottom);  // the dialog grew for it
  Screenshot("settings-policy");

  SetControlText(settings, IDC_EDIT_CPU_BORDER, "50");
  Click(settings, IDC_UPDATE);
  EXPECT_TRUE(IniHas(sopora, "Interval=3")) << IniText(sopora);
  EXPECT_TRUE(IniHas(sopora, "CPUBorder=50"));

  // A change is taken without a restart: announced by Group Policy...
  policy.Set(HKEY_LOCAL_MACHINE, L"MAXTime", 30);
  PolicyValues::Broadcast();
  EXPECT_TRUE(WaitFor([&] { return ControlText(settings, IDC_EDIT_MAX_TIME) == "30"; }));
  EXPECT_FALSE(Enabled(settings, IDC_EDIT_MAX_TIME));
  // ... or written by a tool alone: the user's values return.
  policy.Remove(HKEY_LOCAL_MACHINE, L"MAXTime");
  policy.Remove(HKEY_LOCAL_MACHINE, L"Interval");
  policy.Remove(HKEY_CURRENT_USER, L"Interval");
  EXPECT_TRUE(WaitFor([&] { return Enabled(settings, IDC_EDIT_INTERVAL) && Enabled(settings, IDC_EDIT_MAX_TIME); }));
  EXPECT_EQ(ControlText(settings, IDC_EDIT_INTERVAL), "3");
  EXPECT_EQ(ControlText(settings, IDC_EDIT_MAX_TIME), "20");
  EXPECT_FALSE(IsWindowVisible(line));
}

// The tray menu's 終了 (its last item) chosen with the keyboard.
void ChooseExitFromTheTrayMenu(SoporaProcess& sopora) {
  sopora.Post(WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_RBUTTONUP);
  ASSERT_TRUE(WaitFor([&] {
    const auto menus = WindowsOf(sopora.ProcessId(), L"#32768");
    return std::ranges::any_of(menus, [](HWND menu) { return IsWindowVisible(menu) != FALSE; });
  }));
  for (const WPARAM key : {VK_UP, VK_RETURN}) sopora.Post(WM_KEYDOWN, key);
}

TEST(DialogsE2e, APolicyForbidsPausingAndExitingFromTheTray) {
  PolicyValues policy;
  SoporaProcess sopora(L"policy tray");
  policy.Set(HKEY_CURRENT_USER, L"AllowExit", 0);
  ASSERT_TRUE(sopora.Start());
  sopora.TrayClick(WM_LBUTTONUP);
  EXPECT_EQ(sopora.Log().back(), (LogLine{1, "監視を一時的に停止しました"}));
  policy.Set(HKEY_CURRENT_USER, L"AllowPause", 0);
  PolicyValues::Broadcast();
  EXPECT_TRUE(WaitFor([&] { return sopora.Log().back() == LogLine{1, "監視を再開しました"}; }));
  const std::size_t lines = sopora.Log().size();
  sopora.TrayClick(WM_LBUTTONUP);
  EXPECT_EQ(sopora.Log().size(), lines);  // the click does nothing

  ChooseExitFromTheTrayMenu(sopora);
  EXPECT_FALSE(sopora.WaitForExit(2000));  // 終了 is disabled
  sopora.Post(WM_CANCELMODE);
  // The installer's request to end Sopora is carried out all the same.
  sopora.Command(ID_TRAY_EXIT);
  EXPECT_TRUE(sopora.WaitForExit());

  // Without the policy the same keys end it.
  policy.Remove(HKEY_CURRENT_USER, L"AllowExit");
  SoporaProcess allowed(L"policy tray allowed");
  ASSERT_TRUE(allowed.Start());
  ChooseExitFromTheTrayMenu(allowed);
  EXPECT_TRUE(allowed.WaitForExit());
}

}  // namespace
}  // namespace sopora::e2e
