// Sopora in English (Language=en in Sopora.ini, on this Japanese Windows):
// every dialog in English with the same controls, nothing cut off, the log
// written in English from now on while older lines stay as they were
// written; a picture of each for the README and the help page.
#include <gtest/gtest.h>

#include "remote_list.h"
#include "res/resource.h"
#include "scenario_support.h"

namespace sopora::e2e {
namespace {

const std::vector<LogLine> ENGLISH_STARTUP = {
    {0, "*** Sopora is starting ***"},
    {0, "CPU load query created"},
    {0, "Network traffic query created"},
    {0, "Disk traffic query created"},
    {0, "Count reset"},
    {0, "Monitoring timer started"},
    {0, "Input hooks started"},
    {0, "Sopora has started"},
    {0, "Notification area icon added"},
};
const std::string ENGLISH = "Language=en\r\n";
const std::string SIX_TICKS = "MAXTime=1\r\nInterval=10\r\n";

// The dialogs' font as the English templates name it, at the screen's
// resolution.
class DialogFont {
 public:
  DialogFont() {
    const HDC screen = GetDC(nullptr);
    const int height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    m_font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma");
  }
  ~DialogFont() { DeleteObject(m_font); }
  DialogFont(const DialogFont&) = delete;
  DialogFont& operator=(const DialogFont&) = delete;

  // The text's extent when it is broken into lines `width` pixels wide.
  SIZE Needed(const std::wstring& text, int width) const {
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(dc, m_font);
    RECT rect{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), -1, &rect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteDC(dc);
    return {rect.right, rect.bottom};
  }

 private:
  HFONT m_font;
};

struct Clipped {
  HWND dialog;
  std::vector<std::string> found;
};

// The room a control leaves its text: a check box's box, a push button's
// edge, a group box's frame.
int TextRoom(HWND control, int width) {
  wchar_t name[32] = {};
  GetClassNameW(control, name, 32);
  if (std::wstring_view(name) != L"Button") return width;
  switch (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) {
    case BS_AUTOCHECKBOX:
    case BS_CHECKBOX:
      return width - GetSystemMetrics(SM_CXMENUCHECK) - 4;
    case BS_GROUPBOX:
      return width - 16;
    default:
      return width - 6;
  }
}

BOOL CALLBACK CollectClipped(HWND control, LPARAM parameter) {
  auto& result = *reinterpret_cast<Clipped*>(parameter);
  wchar_t name[32] = {};
  GetClassNameW(control, name, 32);
  const std::wstring_view kind = name;
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  // Lines that shorten themselves on purpose, and pictures.
  const bool shortens = kind == L"Static" && ((style & SS_ENDELLIPSIS) || (style & SS_TYPEMASK) == SS_ICON);
  if ((kind != L"Static" && kind != L"Button") || shortens || !IsWindowVisible(control)) return TRUE;
  wchar_t text[512] = {};
  GetWindowTextW(control, text, 512);
  if (!*text) return TRUE;
  RECT client;
  GetClientRect(control, &client);
  static const DialogFont font;
  const int room = TextRoom(control, client.right);
  const SIZE needed = font.Needed(text, room);
  const bool oneLine = kind == L"Button";
  if (needed.cx > room || needed.cy > (oneLine ? std::max<LONG>(client.bottom, needed.cy) : client.bottom) ||
      (oneLine && needed.cy > font.Needed(L"X", room).cy)) {
    result.found.push_back(NarrowCp932(text) + " needs " + std::to_string(needed.cx) + "x" +
                           std::to_string(needed.cy) + ", has " + std::to_string(room) + "x" +
                           std::to_string(client.bottom));
  }
  return TRUE;
}

// Every text of the dialog that its control cuts off.
std::vector<std::string> ClippedTexts(HWND dialog) {
  Clipped result{dialog, {}};
  EnumChildWindows(dialog, CollectClipped, reinterpret_cast<LPARAM>(&result));
  return result.found;
}

// A picture of one window, with a margin of the desktop around it.
void ScreenshotOf(HWND window, const std::string& name) {
  Sleep(700);
  RECT rect;
  GetWindowRect(window, &rect);
  constexpr int MARGIN = 8;
  const int x = std::max<LONG>(0, rect.left - MARGIN), y = std::max<LONG>(0, rect.top - MARGIN);
  RunHostCommand("/usr/bin/import -window root -crop " + std::to_string(rect.right - rect.left + 2 * MARGIN) + "x" +
                 std::to_string(rect.bottom - rect.top + 2 * MARGIN) + "+" + std::to_string(x) + "+" +
                 std::to_string(y) + " +repage '" + HostFolder() + "/" + name + ".png'");
}

void ExpectEnglishDialog(HWND dialog, const std::string& picture) {
  ASSERT_NE(dialog, nullptr) << picture;
  EXPECT_EQ(ClippedTexts(dialog), std::vector<std::string>{}) << picture;
  ScreenshotOf(dialog, picture);
}

// The Wine the tests run is a Japanese Windows: without the setting,
// Sopora speaks Japanese there.
TEST(EnglishE2e, TheTestsRunOnAJapaneseWindows) { EXPECT_EQ(GetUserDefaultUILanguage(), 0x411); }

TEST(EnglishE2e, TheLogIsWrittenInEnglishFromNowOnAndShownAsStored) {
  SoporaProcess sopora(L"english log");
  sopora.WriteSettings(ENGLISH + SIX_TICKS);
  const std::vector<LogLine> earlier = {{0, "Sopora が起動しました"}, {1, "監視を一時的に停止しました"}};
  WriteFileBytes(sopora.File(L"Sopora.dat"), LogFileOf(earlier));
  ASSERT_TRUE(sopora.Start());
  std::vector<LogLine> expected = earlier;
  expected.insert(expected.end(), ENGLISH_STARTUP.begin(), ENGLISH_STARTUP.end());
  EXPECT_EQ(sopora.Log(), expected);

  sopora.TrayClick(WM_LBUTTONUP);
  sopora.TrayClick(WM_LBUTTONUP);
  sopora.Tick(6);
  EXPECT_EQ(sopora.LogSince(expected.size()),
            (std::vector<LogLine>{{1, "Monitoring paused"},
                                  {1, "Monitoring resumed"},
                                  {1, "Idle: attempting standby"}}));

  sopora.Command(ID_SHOW_LOG);
  const HWND log = sopora.WaitForWindowTitled("Sopora Operation Log");
  ASSERT_NE(log, nullptr);
  const HWND list = GetDlgItem(log, IDC_LOG_LIST);
  const int lines = ListViewCount(list);
  ASSERT_EQ(lines, static_cast<int>(sopora.Log().size()));
  EXPECT_EQ(RemoteListViewText(list, 0, 2), "Idle: attempting standby");  // newest on top
  EXPECT_EQ(RemoteListViewText(list, lines - 1, 2), "Sopora が起動しました");
  ExpectEnglishDialog(log, "en-log");
}

TEST(EnglishE2e, TheSettingsDialogAndItsMessages) {
  SoporaProcess sopora(L"english settings");
  // T = 60 ticks of 10 s: the test's ticks are the only ones.
  sopora.WriteSettings(ENGLISH + "MAXTime=10\r\nInterval=10\r\nCPUBorder=40\r\nNetwork=1\r\nDisk=1\r\nMethod=1\r\n");
  sopora.SetPowerProfile("[Capabilities]\r\nS3=1\r\nS4=0\r\nHiberFile=0\r\n");
  sopora.SetScript("[Processor]\r\nValue=12,18,25,15,9,30,22\r\n[TCP]\r\nValue=40\r\n[LogicalDisk]\r\nValue=90000\r\n");
  ASSERT_TRUE(sopora.Start());
  const LogLine reason{2, "Hibernation is switched off. powercfg /hibernate on switches it on"};
  EXPECT_TRUE(WaitFor([&] { return sopora.Log().back() == reason; })) << sopora.Log().back();
  sopora.Command(ID_SHOW_SETTINGS);
  const HWND dialog = sopora.WaitForWindowTitled("Sopora Settings");
  ASSERT_NE(dialog, nullptr);
  sopora.Tick(20);
  EXPECT_EQ(ControlText(dialog, IDC_METHOD_REASON), "Hibernation is switched off.\npowercfg /hibernate on switches it on");
  EXPECT_TRUE(ControlText(dialog, IDC_STATUS_LINE).starts_with("Monitoring (")) << ControlText(dialog, IDC_STATUS_LINE);
  ExpectEnglishDialog(dialog, "en-settings");
  PolicyValues policy;
  policy.Set(HKEY_CURRENT_USER, L"CPUBorder", 40);
  PolicyValues::Broadcast();
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(GetDlgItem(dialog, IDC_POLICY_MANAGED)) != FALSE; }));
  ExpectEnglishDialog(dialog, "en-settings-policy");
  policy.Remove(HKEY_CURRENT_USER, L"CPUBorder");

  ClickAndGoOn(dialog, IDC_EXCEPT_BUTTON);
  const HWND list = sopora.WaitForWindowTitled("Exception Windows");
  ExpectEnglishDialog(list, "en-exception-windows");
  PostMessageW(list, WM_COMMAND, ID_ADD_MANUAL, 0);
  const HWND edit = sopora.WaitForWindowTitled("Exception Window");
  SetControlText(edit, IDC_PATTERN_EDIT, "*Notepad");
  ExpectEnglishDialog(edit, "en-exception-edit");
  PostMessageW(edit, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(edit); }));
  TestWindow notepad(L"Untitled - Notepad", 620, 420);
  PostMessageW(list, WM_COMMAND, ID_ADD_RUNNING, 0);
  const HWND running = sopora.WaitForWindowTitled("Running Applications");
  ExpectEnglishDialog(running, "en-running-applications");
  PostMessageW(running, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(running); }));
  EXPECT_EQ(RemoteListViewText(GetDlgItem(list, IDC_PATTERN_LIST), 0, 0), "*Notepad");
  PostMessageW(list, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(list); }));

  Click(dialog, IDC_UPDATE);  // the setting stays in the file
  EXPECT_TRUE(IniHas(sopora, "Language=en")) << IniText(sopora);
}

TEST(EnglishE2e, TheHistoryWindow) {
  SoporaProcess sopora(L"english history");
  sopora.WriteSettings(ENGLISH);
  WriteFileBytes(sopora.File(L"SoporaDays.csv"), RecentDayBook());
  ASSERT_TRUE(sopora.Start());
  sopora.Command(ID_SHOW_HISTORY);
  const HWND history = sopora.WaitForWindowTitled("Power saving history");
  ASSERT_NE(history, nullptr);
  EXPECT_EQ(ControlText(history, IDC_HISTORY_TOTALS),
            "Period total   Sopora saved power for 20.0 h (other sleep 1.0 h)   saving est. 1.0 kWh");
  PostMessageW(GetDlgItem(history, IDC_HISTORY_CHART), WM_KEYDOWN, VK_LEFT, 0);
  ASSERT_TRUE(WaitFor([&] { return ControlText(history, IDC_HISTORY_FIGURES).find("standby 8.0") != std::string::npos; }))
      << ControlText(history, IDC_HISTORY_FIGURES);
  ExpectEnglishDialog(history, "history-en");
}

TEST(EnglishE2e, TheRestartCountdownAndTheAboutBox) {
  SoporaProcess sopora(L"english countdown");
  sopora.WriteSettings(ENGLISH + SIX_TICKS + "ResumeReboot=1\r\n");
  ASSERT_TRUE(sopora.Start());
  sopora.Tick(6);
  sopora.Post(WM_POWERBROADCAST, 7);  // PBT_APMRESUMESUSPEND
  const HWND countdown = sopora.WaitForWindowTitled("Sopora - Restart");
  ASSERT_NE(countdown, nullptr);
  const std::string remaining = ControlText(countdown, IDC_REBOOT_REMAIN);
  EXPECT_TRUE(remaining == "30 seconds left" || remaining == "29 seconds left") << remaining;
  ExpectEnglishDialog(countdown, "en-restart-countdown");
  PostMessageW(countdown, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(countdown); }));

  sopora.Post(WM_COMMAND, ID_APP_ABOUT);
  const HWND about = sopora.WaitForWindowTitled("About Sopora");
  ExpectEnglishDialog(about, "en-about");
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(about); }));

  sopora.Post(WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_RBUTTONUP);
  HWND menu = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    for (HWND m : WindowsOf(sopora.ProcessId(), L"#32768")) {
      if (IsWindowVisible(m)) menu = m;
    }
    return menu != nullptr;
  }));
  ScreenshotOf(menu, "en-tray-menu");
  sopora.Post(WM_CANCELMODE);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }));
}

// The warning in English. (Run with a notification area of its own: see CMake.)
TEST(NotificationE2e, TheWarningInEnglish) {
  SoporaProcess sopora(L"english warning");
  sopora.WriteSettings(ENGLISH + SIX_TICKS);  // a minute ahead at the first tick
  ASSERT_TRUE(sopora.Start());
  ASSERT_TRUE(WaitFor([] { return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr; }));
  PumpMessages(1000);
  sopora.Tick(1);
  const std::string text = "Going into standby soon. Move the mouse or press a key to stop it.";
  ASSERT_TRUE(WaitFor([&] {
    const std::vector<std::string> texts = BalloonTexts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  })) << ::testing::PrintToString(BalloonTexts());
  Screenshot("en-warning-balloon");
}

}  // namespace
}  // namespace sopora::e2e
