// The real Sopora.exe under Wine where it must not lose or trust what it
// should not: data files it could not read, an oversized log, a program
// folder it may not write, a single-instance mutex it may not open,
// libraries planted beside it, and dialogs that open dialogs.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>

#include "framework/win_handles.h"
#include "remote_list.h"
#include "res/resource.h"
#include "scenario_support.h"

namespace sopora::e2e {
namespace {

// Waits for the program's message box, checks its text and closes it.
void ExpectMessageBoxAndClose(const SoporaProcess& sopora, const std::string& text, int answer = IDOK,
                              const char* screenshot = nullptr) {
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    const auto boxes = MessageBoxesOf(sopora);
    box = boxes.empty() ? nullptr : boxes.front();
    return box != nullptr;
  })) << text;
  EXPECT_EQ(MessageBoxText(box), text);
  if (screenshot) Screenshot(screenshot);
  PostMessageW(box, WM_COMMAND, answer, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
}

std::vector<LogLine> Lines(int count, const std::string& text) {
  std::vector<LogLine> lines;
  for (int i = 0; i < count; ++i) lines.push_back({i % 8, text + " " + std::to_string(i)});
  return lines;
}

// The files kept aside beside a data file: Sopora.dat.<time>.old.
std::vector<std::filesystem::path> KeptAside(const SoporaProcess& sopora, const std::wstring& file) {
  std::vector<std::filesystem::path> kept;
  for (const std::filesystem::path& name : FilesIn(sopora.Folder().Path())) {
    const std::wstring text = name.native();
    if (text.starts_with(file + L".") && text.ends_with(L".old")) kept.push_back(sopora.File(text.c_str()));
  }
  return kept;
}

// Another program (a backup, a virus scan) holds the log at start-up and
// lets nobody write: the message comes once, the new lines wait, and once
// the file is free they follow every old record. Nothing is moved aside.
TEST(SafetyE2e, ALogHeldAtStartUpIsReadWhenFreeAndTheNewLinesFollowIt) {
  SoporaProcess sopora(L"held log");
  const std::vector<LogLine> old = Lines(800, "以前の行");
  const Bytes oldFile = LogFileOf(old);
  WriteFileBytes(sopora.File(L"Sopora.dat"), oldFile);
  HANDLE held = CreateFileW(sopora.File(L"Sopora.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(sopora.Start(false));
  ExpectMessageBoxAndClose(sopora, "ログファイルを開けません。");
  const HWND frame = sopora.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  PumpMessages(3000);  // a few seconds of start-up lines that cannot be written
  EXPECT_EQ(ReadFileBytes(sopora.File(L"Sopora.dat")), oldFile);

  CloseHandle(held);
  PostMessageW(frame, WM_TRAY_NOTIFY, TRAY_ICON_ID, WM_LBUTTONUP);  // pause: one more line
  std::vector<LogLine> expected = old;
  expected.insert(expected.end(), STARTUP.begin(), STARTUP.end());
  expected.push_back({1, "監視を一時的に停止しました"});
  ASSERT_TRUE(WaitFor([&] { return sopora.Log() == expected; }));
  EXPECT_TRUE(KeptAside(sopora, L"Sopora.dat").empty());
  EXPECT_FALSE(std::filesystem::exists(sopora.File(L"Sopora.dat.old")));

  // The viewer shows the history it could not show at start-up.
  PostMessageW(frame, WM_COMMAND, ID_SHOW_LOG, 0);
  const HWND viewer = sopora.WaitForWindowTitled(LOG_TITLE);
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(ListViewCount(GetDlgItem(viewer, IDC_LOG_LIST)), static_cast<int>(expected.size()));
  EXPECT_EQ(RemoteListViewText(GetDlgItem(viewer, IDC_LOG_LIST), static_cast<int>(expected.size()) - 1, 2),
            "以前の行 0");
}

// A log of another version is kept under a name of its own at each start
// that finds one: a second never replaces the first.
TEST(SafetyE2e, TwoUnreadableLogsAreBothKeptAside) {
  SoporaProcess sopora(L"foreign logs");
  std::vector<Bytes> foreign;
  for (int start = 0; start < 2; ++start) {
    foreign.push_back(LogFileOf(Lines(5 + start, "新しい版の行"), 0x02));
    WriteFileBytes(sopora.File(L"Sopora.dat"), foreign.back());
    ASSERT_TRUE(sopora.Start(false));
    ExpectMessageBoxAndClose(sopora, "ログファイルのバージョンが違います。");
    ASSERT_TRUE(WaitFor([&] { return sopora.Log() == STARTUP; }));
    PostMessageW(sopora.WaitForFrame(), WM_COMMAND, ID_TRAY_EXIT, 0);
    ASSERT_TRUE(sopora.WaitForExit());
    sopora.Kill();
  }
  const std::vector<std::filesystem::path> kept = KeptAside(sopora, L"Sopora.dat");
  ASSERT_EQ(kept.size(), 2u);
  std::vector<Bytes> keptContents;
  for (const std::filesystem::path& path : kept) keptContents.push_back(ReadFileBytes(path));
  std::sort(keptContents.begin(), keptContents.end(), [](const Bytes& a, const Bytes& b) { return a.size() < b.size(); });
  EXPECT_EQ(keptContents, foreign);
}

// A crash between deleting the old log and renaming the new one in leaves
// no log and a complete temporary file, which holds the history: it becomes
// the log before anything else is done there.
TEST(SafetyE2e, ACompleteTemporaryLogWhereTheLogIsMissingBecomesTheLog) {
  SoporaProcess sopora(L"interrupted replace");
  const std::vector<LogLine> history = Lines(40, "履歴");
  WriteFileBytes(sopora.File(L"Sopora.dat.new"), LogFileOf(history));
  ASSERT_TRUE(sopora.Start());
  std::vector<LogLine> expected = history;
  expected.insert(expected.end(), STARTUP.begin(), STARTUP.end());
  EXPECT_EQ(sopora.Log(), expected);
  EXPECT_FALSE(std::filesystem::exists(sopora.File(L"Sopora.dat.new")));
  EXPECT_TRUE(MessageBoxesOf(sopora).empty());
}

TEST(SafetyE2e, AnOversizedLogIsAThousandRecordsAfterItsFirstLine) {
  SoporaProcess sopora(L"oversized log");
  WriteFileBytes(sopora.File(L"Sopora.dat"), LogFileOf(Lines(1500, "連結された行")));
  ASSERT_TRUE(sopora.Start());
  const std::vector<LogLine> log = sopora.Log();
  ASSERT_EQ(log.size(), 1000u);
  EXPECT_EQ(ReadFileBytes(sopora.File(L"Sopora.dat")).size(), 276001u);
  EXPECT_EQ(log.front().text, "連結された行 509");  // 1500 + 9 lines, the newest 1000
  EXPECT_EQ(std::vector<LogLine>(log.end() - static_cast<std::ptrdiff_t>(STARTUP.size()), log.end()), STARTUP);
  EXPECT_TRUE(KeptAside(sopora, L"Sopora.dat").empty());
}

TEST(SafetyE2e, AListThatFailedToLoadIsNotWipedByRegistering) {
  SoporaProcess sopora(L"foreign list");
  const Bytes foreign = ListFileOf({"*ゲーム*", "*動画*"}, 0x02);
  WriteFileBytes(sopora.File(L"SoporaWnd.dat"), foreign);
  ASSERT_TRUE(sopora.Start());
  const HWND settings = ShowSettings(sopora);
  ASSERT_NE(settings, nullptr);
  ClickAndGoOn(settings, IDC_EXCEPT_BUTTON);
  ExpectMessageBoxAndClose(sopora, "例外ウィンドウ定義ファイルのバージョンが違います。");
  const HWND registration = sopora.WaitForWindowTitled(EXCEPT_TITLE);
  ASSERT_NE(registration, nullptr);
  EXPECT_EQ(ListViewCount(GetDlgItem(registration, IDC_PATTERN_LIST)), 0);
  PostMessageW(registration, WM_COMMAND, IDOK, 0);  // 登録 with what the dialog could show: nothing
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(registration); }));

  const std::vector<std::filesystem::path> kept = KeptAside(sopora, L"SoporaWnd.dat");
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(ReadFileBytes(kept.front()), foreign);
  EXPECT_EQ(ReadFileBytes(sopora.File(L"SoporaWnd.dat")), Bytes{0x01});
}

// Opens the registration dialog from the settings dialog.
HWND OpenRegistration(SoporaProcess& sopora) {
  const HWND settings = ShowSettings(sopora);
  if (!settings) return nullptr;
  ClickAndGoOn(settings, IDC_EXCEPT_BUTTON);
  return sopora.WaitForWindowTitled(EXCEPT_TITLE);
}

// Adds a pattern by typing it, as 手入力による登録 does.
void AddPatternByHand(SoporaProcess& sopora, HWND registration, const std::string& pattern) {
  PostMessageW(registration, WM_COMMAND, ID_ADD_MANUAL, 0);
  const HWND editor = sopora.WaitForWindowTitled(EDIT_TITLE);
  ASSERT_NE(editor, nullptr);
  SetControlText(editor, IDC_PATTERN_EDIT, pattern);
  PostMessageW(editor, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(editor); }));
}

std::vector<std::string> ListLines(HWND list) {
  std::vector<std::string> lines;
  for (int line = 0; line < ListViewCount(list); ++line) lines.push_back(RemoteListViewText(list, line, 0));
  return lines;
}

// The registration dialog holds no more patterns than the program loads.
TEST(SafetyE2e, TheRegistrationDialogRefusesThe4097thPattern) {
  SoporaProcess sopora(L"full list");
  std::vector<std::string> patterns;
  for (int i = 0; i < 4096; ++i) patterns.push_back("パターン " + std::to_string(10000 + i));
  WriteFileBytes(sopora.File(L"SoporaWnd.dat"), ListFileOf(patterns));
  ASSERT_TRUE(sopora.Start());
  const HWND registration = OpenRegistration(sopora);
  ASSERT_NE(registration, nullptr);
  const HWND list = GetDlgItem(registration, IDC_PATTERN_LIST);
  ASSERT_TRUE(WaitFor([&] { return ListViewCount(list) == 4096; }));
  PostMessageW(registration, WM_COMMAND, ID_ADD_MANUAL, 0);
  const HWND editor = sopora.WaitForWindowTitled(EDIT_TITLE);
  ASSERT_NE(editor, nullptr);
  SetControlText(editor, IDC_PATTERN_EDIT, "一つ多い");
  PostMessageW(editor, WM_COMMAND, IDOK, 0);
  ExpectMessageBoxAndClose(sopora, "例外ウィンドウは 4096 個まで登録できます。");
  EXPECT_EQ(ListViewCount(list), 4096);
  PostMessageW(registration, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(registration); }));
}

// 登録 while another program holds the list so that it can neither be
// replaced nor written in place: the dialog says so and keeps the edits; a
// second 登録 once the file is free saves them.
TEST(SafetyE2e, AFailedSaveOfTheListKeepsTheDialogsEdits) {
  SoporaProcess sopora(L"list save fails");
  WriteFileBytes(sopora.File(L"SoporaWnd.dat"), ListFileOf({"*ゲーム*"}));
  ASSERT_TRUE(sopora.Start());
  const HWND registration = OpenRegistration(sopora);
  ASSERT_NE(registration, nullptr);
  AddPatternByHand(sopora, registration, "メモ帳");
  const HWND list = GetDlgItem(registration, IDC_PATTERN_LIST);
  ASSERT_TRUE(WaitFor([&] { return ListViewCount(list) == 2; }));

  HANDLE held = CreateFileW(sopora.File(L"SoporaWnd.dat").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  PostMessageW(registration, WM_COMMAND, IDOK, 0);
  ExpectMessageBoxAndClose(sopora, "例外ウィンドウの一覧を保存できませんでした。\n編集内容はこのダイアログに残っています。");
  EXPECT_TRUE(IsWindow(registration));
  EXPECT_EQ(ListLines(list), (std::vector<std::string>{"*ゲーム*", "メモ帳"}));
  EXPECT_EQ(ReadFileBytes(sopora.File(L"SoporaWnd.dat")), ListFileOf({"*ゲーム*"}));

  CloseHandle(held);
  PostMessageW(registration, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(registration); }));
  EXPECT_EQ(ReadFileBytes(sopora.File(L"SoporaWnd.dat")), ListFileOf({"*ゲーム*", "メモ帳"}));
}

// Another Sopora saved its own list while this dialog was open: 登録 asks
// which one stays; No shows the list on disk, to go on from (Cancel: the edits).
TEST(SafetyE2e, RegisteringOverAListSavedElsewhereAsksFirst) {
  SoporaProcess sopora(L"list saved elsewhere");
  WriteFileBytes(sopora.File(L"SoporaWnd.dat"), ListFileOf({"*ゲーム*"}));
  ASSERT_TRUE(sopora.Start());
  const HWND registration = OpenRegistration(sopora);
  ASSERT_NE(registration, nullptr);
  AddPatternByHand(sopora, registration, "メモ帳");
  WriteFileBytes(sopora.File(L"SoporaWnd.dat"), ListFileOf({"*動画*", "*ゲーム*"}));  // saved elsewhere
  PostMessageW(registration, WM_COMMAND, IDOK, 0);
  ExpectMessageBoxAndClose(sopora, "例外ウィンドウの一覧がほかの Sopora で変更されています。\nこの内容で上書きしますか？",
                           IDCANCEL);
  EXPECT_EQ(ListLines(GetDlgItem(registration, IDC_PATTERN_LIST)), (std::vector<std::string>{"*ゲーム*", "メモ帳"}));

  PostMessageW(registration, WM_COMMAND, IDOK, 0);
  HWND question = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    const auto boxes = MessageBoxesOf(sopora);
    question = boxes.empty() ? nullptr : boxes.front();
    return question != nullptr;
  }));
  EXPECT_EQ(MessageBoxText(question),
            "例外ウィンドウの一覧がほかの Sopora で変更されています。\nこの内容で上書きしますか？");
  Screenshot("list-changed-elsewhere");
  PostMessageW(question, WM_COMMAND, IDNO, 0);
  const HWND list = GetDlgItem(registration, IDC_PATTERN_LIST);
  ASSERT_TRUE(WaitFor([&] { return ListLines(list) == std::vector<std::string>{"*ゲーム*", "*動画*"}; }));
  EXPECT_EQ(ReadFileBytes(sopora.File(L"SoporaWnd.dat")), ListFileOf({"*動画*", "*ゲーム*"}));

  AddPatternByHand(sopora, registration, "メモ帳");
  PostMessageW(registration, WM_COMMAND, IDOK, 0);  // from what is on disk now: no question
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(registration); }));
  EXPECT_EQ(ReadFileBytes(sopora.File(L"SoporaWnd.dat")), ListFileOf({"*ゲーム*", "*動画*", "メモ帳"}));
}

// The registration dialog is owned by the settings dialog, and its editors
// by it: the window beneath is disabled, and the running-applications list
// does not offer the registration dialog itself.
TEST(SafetyE2e, DialogsOpenedFromDialogsDisableTheOnesBeneath) {
  SoporaProcess sopora(L"owned dialogs");
  ASSERT_TRUE(sopora.Start());
  const HWND settings = ShowSettings(sopora);
  ASSERT_NE(settings, nullptr);
  ClickAndGoOn(settings, IDC_EXCEPT_BUTTON);
  const HWND registration = sopora.WaitForWindowTitled(EXCEPT_TITLE);
  ASSERT_NE(registration, nullptr);
  EXPECT_FALSE(IsWindowEnabled(settings));
  EXPECT_EQ(GetWindow(registration, GW_OWNER), settings);

  PostMessageW(registration, WM_COMMAND, ID_ADD_RUNNING, 0);
  const HWND running = sopora.WaitForWindowTitled(RUNNING_TITLE);
  ASSERT_NE(running, nullptr);
  EXPECT_FALSE(IsWindowEnabled(registration));
  const HWND list = GetDlgItem(running, IDC_PATTERN_LIST);
  for (int line = 0; line < ListViewCount(list); ++line) {
    EXPECT_NE(RemoteListViewText(list, line, 0), EXCEPT_TITLE);
    EXPECT_NE(RemoteListViewText(list, line, 0), SETTINGS_TITLE);
  }
  Screenshot("owned-dialogs");
  PostMessageW(running, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(running); }));
  EXPECT_TRUE(IsWindowEnabled(registration));
  PostMessageW(registration, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(registration); }));
  EXPECT_TRUE(IsWindowEnabled(settings));
}

// Another instance started with more rights holds the mutex with a
// security descriptor this one may not open: it is running all the same.
TEST(SafetyE2e, AMutexThatMayNotBeOpenedMeansAnotherInstanceRuns) {
  PSECURITY_DESCRIPTOR denyAll = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:", SDDL_REVISION_1, &denyAll, nullptr));
  SECURITY_ATTRIBUTES attributes{sizeof attributes, denyAll, FALSE};
  const UniqueKernelHandle mutex(CreateMutexW(&attributes, TRUE, L"SOPORA VANTREX"));
  LocalFree(denyAll);
  ASSERT_TRUE(mutex);

  SoporaProcess second(L"mutex denied");
  ASSERT_TRUE(second.Start(false));
  ASSERT_TRUE(second.WaitForExit());
  EXPECT_EQ(second.ExitCode(), 0u);
  EXPECT_FALSE(std::filesystem::exists(second.File(L"Sopora.dat")));
}

// Libraries named like system ones, planted in the program's folder: with
// a search that looked there first they would run in Sopora. Wine prefers
// native pdh.dll and powrprof.dll here (the stand-ins in the system
// folder), so a wrong search would find the planted ones.
TEST(SafetyE2e, LibrariesPlantedBesideTheProgramAreNeverLoaded) {
  SoporaProcess sopora(L"planted libraries");
  for (const wchar_t* name : {L"pdh.dll", L"powrprof.dll"}) {
    std::filesystem::copy_file(sopora.ProgramFolder() / L"planted" / name, sopora.File(name));
  }
  sopora.WriteSettings("MAXTime=60\r\nInterval=600\r\n");  // T = 6
  ASSERT_TRUE(sopora.Start());
  sopora.Tick(6);  // the standby attempt needs powrprof
  EXPECT_EQ(sopora.LogSince(STARTUP.size()).front(), STANDBY_ATTEMPT);
  EXPECT_FALSE(std::filesystem::exists(sopora.File(L"pdh.loaded")));
  EXPECT_FALSE(std::filesystem::exists(sopora.File(L"powrprof.loaded")));
  // Counters and the suspend came from the stand-ins in the system folder.
  EXPECT_EQ(sopora.Log().front(), STARTUP.front());
  EXPECT_NE(ReadFileText(sopora.File(L"fakepowrprof.log")).find("SetSuspendState"), std::string::npos);
}

// A path of the Wine prefix as the host sees it, in the CP932 a host
// command is written in.
std::string UnixPath(const std::filesystem::path& path) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  const auto toUnix = reinterpret_cast<ToUnix>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* unix = toUnix ? toUnix(path.c_str()) : nullptr;
  if (!unix) return {};
  wchar_t wide[MAX_PATH * 2] = {};
  MultiByteToWideChar(CP_UTF8, 0, unix, -1, wide, MAX_PATH * 2);  // the host's names are UTF-8
  HeapFree(GetProcessHeap(), 0, unix);
  return NarrowCp932(wide);
}

std::filesystem::path PerUserFolder() {
  PWSTR localAppData = nullptr;
  SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &localAppData);
  std::filesystem::path folder = std::filesystem::path(localAppData) / L"Sopora";
  CoTaskMemFree(localAppData);
  return folder;
}

// A folder made read-only for the Wine user on the host (Wine maps the
// write permission of a folder onto whether files can be made in it), made
// writable again at the end.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const std::filesystem::path& folder) : m_unix(UnixPath(folder)) {
    EXPECT_FALSE(m_unix.empty());
    RunHostCommand("chmod a-w '" + m_unix + "'");
  }
  ~ReadOnlyFolder() { RunHostCommand("chmod u+w '" + m_unix + "'"); }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

 private:
  std::string m_unix;
};

// The lines the log viewer shows, newest first.
std::vector<std::string> ViewerLines(SoporaProcess& sopora, HWND frame) {
  PostMessageW(frame, WM_COMMAND, ID_SHOW_LOG, 0);
  const HWND viewer = sopora.WaitForWindowTitled(LOG_TITLE);
  std::vector<std::string> lines;
  if (!viewer) return lines;
  const HWND list = GetDlgItem(viewer, IDC_LOG_LIST);
  for (int line = 0; line < ListViewCount(list); ++line) lines.push_back(RemoteListViewText(list, line, 2));
  return lines;
}

// Neither the program's folder nor the user's own can be written: the
// lines stay in the viewer, one of them says why, and the missing list is
// not reported at every tick.
TEST(SafetyE2e, WithoutAnyWritableFolderSoporaSaysSoOnceAndRunsOn) {
  const std::filesystem::path perUser = PerUserFolder();
  std::error_code ignored;
  std::filesystem::remove_all(perUser, ignored);
  std::filesystem::create_directories(perUser);
  SoporaProcess sopora(L"no writable folder");
  const ReadOnlyFolder programFolder(sopora.Folder().Path());
  const ReadOnlyFolder userFolder(perUser);

  ASSERT_TRUE(sopora.Start(false));
  const HWND frame = sopora.WaitForFrame();
  ASSERT_NE(frame, nullptr);
  sopora.Tick(3);
  PumpMessages(500);
  EXPECT_TRUE(MessageBoxesOf(sopora).empty());
  const std::vector<std::string> lines = ViewerLines(sopora, frame);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "設定とログを保存できるフォルダーがありません。"), 1);
  EXPECT_EQ(lines.back(), STARTUP.front().text);
  for (const wchar_t* name : {L"Sopora.dat", L"SoporaWnd.dat", L"Sopora.dat.lock", L"SoporaWnd.dat.lock"}) {
    EXPECT_FALSE(std::filesystem::exists(sopora.File(name))) << NarrowCp932(name);
  }
  EXPECT_TRUE(FilesIn(perUser).empty());
}

// Unpacked where the user may not write (under Program Files, say), Sopora
// keeps its files in the per-user folder, taking over those beside it.
TEST(SafetyE2e, AReadOnlyProgramFolderKeepsTheFilesInTheUsersFolder) {
  const std::filesystem::path perUser = PerUserFolder();
  std::error_code ignored;
  std::filesystem::remove_all(perUser, ignored);
  SoporaProcess sopora(L"read-only program folder");
  sopora.WriteSettings("CPUBorder=33\r\n");
  // Read-only beside the program (copied from a CD, say): the copy is the
  // user's own file from then on.
  ASSERT_TRUE(SetFileAttributesW(sopora.File(L"Sopora.ini").c_str(), FILE_ATTRIBUTE_READONLY));
  const Bytes earlier = LogFileOf({{0, "以前の行"}});
  WriteFileBytes(sopora.File(L"Sopora.dat"), earlier);
  const ReadOnlyFolder readOnly(sopora.Folder().Path());

  ASSERT_TRUE(sopora.Start(false));
  const auto perUserLog = [&] {
    const Bytes bytes = ReadFileBytes(perUser / L"Sopora.dat");
    return bytes.size() == earlier.size() + STARTUP.size() * sizeof(LogRecord);
  };
  ASSERT_TRUE(WaitFor(perUserLog));
  EXPECT_EQ(ReadFileText(perUser / L"Sopora.ini"), "[PARAMATER]\r\nCPUBorder=33\r\n");
  EXPECT_TRUE(WaitFor([&] { return std::filesystem::exists(perUser / L"SoporaWnd.dat"); }));  // at the first tick
  const std::vector<std::filesystem::path> besideTheProgram = FilesIn(sopora.Folder().Path());

  const HWND frame = sopora.WaitForFrame();
  PostMessageW(frame, WM_COMMAND, ID_SHOW_SETTINGS, 0);
  const HWND settings = sopora.WaitForWindowTitled(SETTINGS_TITLE);
  ASSERT_NE(settings, nullptr);
  EXPECT_EQ(ControlText(settings, IDC_EDIT_CPU_BORDER), "33");
  SetControlText(settings, IDC_EDIT_CPU_BORDER, "45");
  Click(settings, IDC_UPDATE);
  EXPECT_NE(ReadFileText(perUser / L"Sopora.ini").find("CPUBorder=45\r\n"), std::string::npos);
  ASSERT_TRUE(SetFileAttributesW((perUser / L"Sopora.ini").c_str(), FILE_ATTRIBUTE_READONLY));
  ClickAndGoOn(settings, IDOK);  // not saved: said so, and the dialog stays open
  ExpectMessageBoxAndClose(sopora, "設定を保存できませんでした。Sopora.ini に書き込めるか確認してください。", IDOK,
                           "settings-not-saved");
  EXPECT_TRUE(IsWindowVisible(settings));
  SetFileAttributesW((perUser / L"Sopora.ini").c_str(), FILE_ATTRIBUTE_NORMAL);

  PostMessageW(frame, WM_COMMAND, ID_APP_ABOUT, 0);
  const HWND about = sopora.WaitForWindowTitled("Soporaのﾊﾞｰｼﾞｮﾝ情報");
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(ControlText(about, IDC_ABOUT_DATA_FOLDER), NarrowCp932(perUser.native()));
  Screenshot("about-per-user-folder");
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(about); }));

  // The next start reads back what was stored there.
  PostMessageW(frame, WM_COMMAND, ID_TRAY_EXIT, 0);
  ASSERT_TRUE(sopora.WaitForExit());
  sopora.Kill();
  ASSERT_TRUE(sopora.Start(false));
  PostMessageW(sopora.WaitForFrame(), WM_COMMAND, ID_SHOW_SETTINGS, 0);
  const HWND again = sopora.WaitForWindowTitled(SETTINGS_TITLE);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(ControlText(again, IDC_EDIT_CPU_BORDER), "45");
  EXPECT_EQ(FilesIn(sopora.Folder().Path()), besideTheProgram);  // nothing was ever written there
  EXPECT_EQ(ReadFileBytes(sopora.File(L"Sopora.dat")), earlier);
  std::filesystem::remove_all(perUser, ignored);
}

// Two users signed in, each starting Sopora from one folder. Under Wine the
// second Sopora runs in a second prefix: another wineserver, so only the
// files and their lock files stand between the two. Both click through
// pauses and resumes at the same time; every line of both is in the file.
TEST(TwoPrefixesE2e, TwoInstancesWritingOneFolderKeepEveryLine) {
  char second[MAX_PATH] = {};
  ASSERT_TRUE(GetEnvironmentVariableA("SOPORA_SECOND_PREFIX", second, MAX_PATH))
      << "runs through tests/e2e/second_prefix.sh";
  SoporaProcess sopora(L"two prefixes");
  ASSERT_TRUE(sopora.Start());
  const std::string inSecond = std::string("WINEPREFIX='") + second + "' WINEDEBUG=-all ";
  const std::string folder = UnixPath(sopora.Folder().Path());
  const std::string poke = UnixPath(SoporaProcess::ProgramFolder() / L"sopora_poke.exe");
  ASSERT_FALSE(folder.empty());
  struct SecondPrefix {
    std::string wine;
    ~SecondPrefix() { RunHostCommand(wine + "wineserver -k"); }
  } endAtTheEnd{inSecond};
  const auto count = [&](const std::string& text) {
    const std::vector<LogLine> log = sopora.Log();
    return std::count_if(log.begin(), log.end(), [&](const LogLine& line) { return line.text == text; });
  };
  RunHostCommand("(" + inSecond + "wine '" + folder + "/Sopora.exe' >/dev/null 2>&1 &)");
  ASSERT_TRUE(WaitFor([&] { return count("タスクトレイにアイコンを登録しました") == 2; }, 120000));

  constexpr int CLICKS = 40;
  RunHostCommand("(" + inSecond + "wine '" + poke + "' " + std::to_string(CLICKS) + " >/dev/null 2>&1 &)");
  for (int i = 0; i < CLICKS; ++i) sopora.TrayClick(WM_LBUTTONUP);
  sopora.Command(ID_TRAY_EXIT);
  ASSERT_TRUE(sopora.WaitForExit());
  ASSERT_TRUE(WaitFor([&] { return count("Sopora を終了します") == 2; }, 120000));

  for (const LogLine& line : STARTUP) EXPECT_EQ(count(line.text), 2) << line;
  EXPECT_EQ(count("監視を一時的に停止しました"), CLICKS);
  EXPECT_EQ(count("監視を再開しました"), CLICKS);
  EXPECT_EQ(sopora.Log().size(), 2 * STARTUP.size() + 2 * CLICKS + 2);
}

}  // namespace
}  // namespace sopora::e2e
