// The release's per-user installer under Wine, run silently into a folder of
// the user's as an unattended install would be: what it puts in place, the
// Sopora it installed starting from there as at sign-in, the start at
// sign-in left out, an upgrade while that Sopora runs, the uninstaller the
// list of apps runs, and the one a user answers to remove the data files;
// a hook library still held during an upgrade or an uninstall; the install
// for every user.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <optional>

#include "scenario_support.h"

namespace sopora::e2e {
namespace {

const wchar_t* const RUN_KEY = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t* const UNINSTALL_KEY = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sopora";
const wchar_t* const RUNONCE_KEY = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const wchar_t* const EVENT_SOURCE_KEY = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Sopora";
const wchar_t* const SESSION_MANAGER_KEY = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t* const HOOK_CLEANUP = L"SoporaCleanup";
const LogLine STARTED{0, "Sopora が起動しました"};
const LogLine ENDED{0, "Sopora を終了します"};
const LogLine GAVE_WAY{
    0, "すべてのユーザー用の Sopora がインストールされているため、この Sopora は終了し、サインイン時にも開始しません"};
const wchar_t* const DATA_FILES[] = {L"Sopora.ini", L"Sopora.dat", L"SoporaWnd.dat"};

// A text value as it is stored (REG_EXPAND_SZ unexpanded).
std::optional<std::wstring> RegText(const wchar_t* key, const wchar_t* name, HKEY root = HKEY_CURRENT_USER) {
  wchar_t value[1024];
  DWORD size = sizeof value;
  if (RegGetValueW(root, key, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, value, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

std::optional<DWORD> RegNumber(const wchar_t* key, const wchar_t* name, HKEY root = HKEY_CURRENT_USER) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueW(root, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

// The files Windows is to move when it next starts, as one text.
std::wstring MovesAtRestart() {
  std::wstring value(1 << 16, L'\0');
  DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  RegGetValueW(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr,
               value.data(), &size);
  return value;
}

bool KeyExists(const wchar_t* key, HKEY root = HKEY_CURRENT_USER) {
  HKEY handle;
  if (RegOpenKeyExW(root, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

std::filesystem::path StartMenuShortcut() {
  wchar_t* programs = nullptr;
  SHGetKnownFolderPath(FOLDERID_Programs, 0, nullptr, &programs);
  const std::filesystem::path link = std::filesystem::path(programs) / L"Sopora.lnk";
  CoTaskMemFree(programs);
  return link;
}

// The program a shell link starts, or "" when it cannot be read. (From the
// link's item list, which names every folder in Unicode.)
std::wstring ShortcutTarget(const std::filesystem::path& link) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::wstring target;
  IShellLinkW* shellLink = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&shellLink)))) {
    IPersistFile* file = nullptr;
    PIDLIST_ABSOLUTE items = nullptr;
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(shellLink->QueryInterface(IID_PPV_ARGS(&file))) && SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
        SUCCEEDED(shellLink->GetIDList(&items)) && SHGetPathFromIDListW(items, path)) {
      target = path;
    }
    CoTaskMemFree(items);
    if (file) file->Release();
    shellLink->Release();
  }
  return target;
}

// The product version in a binary's version resource, all four parts.
std::vector<unsigned> ProductVersion(const std::filesystem::path& binary) {
  DWORD ignored = 0;
  std::vector<char> data(GetFileVersionInfoSizeW(binary.c_str(), &ignored));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  if (data.empty() || !GetFileVersionInfoW(binary.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) ||
      !VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length)) {
    return {};
  }
  return {HIWORD(info->dwProductVersionMS), LOWORD(info->dwProductVersionMS), HIWORD(info->dwProductVersionLS),
          LOWORD(info->dwProductVersionLS)};
}

// Runs a command line and waits for its process: its exit code, or -1 when
// it could not be started or did not end.
long RunAndWait(std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return -1;
  }
  DWORD code = 0;
  const bool ended = WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return ended ? static_cast<long>(code) : -1;
}

// Where Sopora keeps its data files when its own folder cannot be written.
std::filesystem::path PerUserFolder() {
  PWSTR localAppData = nullptr;
  SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &localAppData);
  std::filesystem::path folder = std::filesystem::path(localAppData) / L"Sopora";
  CoTaskMemFree(localAppData);
  return folder;
}

std::filesystem::path TempFolderOfUser() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return temp;
}

std::vector<std::wstring> SortedNamesIn(const std::filesystem::path& folder) {
  std::vector<std::wstring> names;
  std::error_code none;  // a folder that is gone holds nothing
  for (const auto& entry : std::filesystem::directory_iterator(folder, none)) {
    names.push_back(entry.path().filename().native());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Hook libraries an installer or uninstaller moved aside, in the folder.
std::vector<std::wstring> MovedAsideHookLibrariesIn(const std::filesystem::path& folder) {
  std::vector<std::wstring> found;
  for (const std::wstring& name : SortedNamesIn(folder)) {
    if (name.starts_with(L"SoporaHook-") && name.ends_with(L".old")) found.push_back(name);
  }
  return found;
}

// A button press in a window of another process, as WM_COMMAND from the
// button: NSIS ignores it while the button is disabled.
void PressButton(HWND window, int id) {
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

// The dialog windows of a process: its main window and, while one is open,
// its message box (the window with a Yes button).
HWND VisibleDialogOf(DWORD processId, bool messageBox) {
  for (HWND window : WindowsOf(processId, L"#32770")) {
    if (IsWindowVisible(window) && (GetDlgItem(window, IDYES) != nullptr) == messageBox) return window;
  }
  return nullptr;
}

class InstallerE2e : public ::testing::Test {
 protected:
  InstallerE2e() {
    // The stand-ins of the system libraries read their scripts (and keep
    // their logs) beside the test, so the install folder only ever holds
    // what the installer and Sopora put there.
    const std::string script = "[Processor]\r\nValue=1\r\n[Process]\r\nValue=99\r\n";
    WriteFileBytes(m_support.File(L"fakepdh.ini"), Bytes(script.begin(), script.end()));
    SetEnvironmentVariableW(L"SOPORA_FAKE_PDH", m_support.File(L"fakepdh.ini").c_str());
    SetEnvironmentVariableW(L"SOPORA_FAKE_POWRPROF", m_support.File(L"fakepowrprof.ini").c_str());
    ForgetInstall();
  }
  ~InstallerE2e() override {
    ReleaseSopora();
    ForgetInstall();
  }

  const std::filesystem::path& Folder() const { return m_folder.Path(); }
  std::filesystem::path File(const wchar_t* name) const { return m_folder.File(name); }

  long Install(const std::wstring& options = L"") { return InstallInto(Folder(), options); }
  long InstallInto(const std::filesystem::path& folder, const std::wstring& options) {
    const std::filesystem::path installer = WindowsPathOfHostFile(SOPORA_INSTALLER);
    if (!std::filesystem::exists(installer)) {
      ADD_FAILURE() << "no installer " << SOPORA_INSTALLER << ": tools/release.sh makes it";
      return -1;
    }
    // /D= comes last and unquoted, spaces and all.
    return RunAndWait(L"\"" + installer.native() + L"\" /S " + options + L"/D=" + folder.native());
  }

  // Starts the installed Sopora as Windows does at sign-in, with the Run
  // value's command line (the user's, or the machine's), and waits until its
  // start-up is complete: its log in `dataFolder` ends with the start-up's.
  bool StartAsAtSignIn(HKEY root = HKEY_CURRENT_USER, std::optional<std::filesystem::path> dataFolder = {}) {
    return Start(root) && WaitFor([&] {
             const std::vector<LogLine> log = LogIn(dataFolder.value_or(Folder()) / L"Sopora.dat");
             return !WindowsOf(m_sopora.dwProcessId, L"SoporaFrame").empty() && !log.empty() &&
                    log.back() == STARTUP.back();
           });
  }
  bool Start(HKEY root) {
    ReleaseSopora();
    std::optional<std::wstring> command = RegText(RUN_KEY, L"Sopora", root);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!command || !CreateProcessW(nullptr, command->data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                    &m_sopora)) {
      return false;
    }
    return true;
  }
  bool SoporaHasEnded() const { return WaitForSingleObject(m_sopora.hProcess, 0) == WAIT_OBJECT_0; }

  // Runs the uninstaller as the list of apps does, silently, and waits for
  // it: it goes on from a copy of itself in the temporary folder.
  void UninstallQuietly(HKEY root = HKEY_CURRENT_USER) {
    const std::optional<std::wstring> uninstall = RegText(UNINSTALL_KEY, L"QuietUninstallString", root);
    ASSERT_TRUE(uninstall);
    const std::filesystem::path folder = RegText(UNINSTALL_KEY, L"InstallLocation", root).value_or(L"");
    ASSERT_EQ(RunAndWait(*uninstall), 0);
    EXPECT_TRUE(
        WaitFor([&] { return !KeyExists(UNINSTALL_KEY, root) && !std::filesystem::exists(folder / L"Help"); }, 60000));
  }

  // Runs the uninstaller as a user does: Uninstall on its first page, Yes
  // to its question about the data files, Close at the end. (Run where it
  // is, _?=, it is the process waited for.) The question, or "" when none
  // came.
  std::wstring UninstallSayingYes() {
    std::wstring command = L"\"" + File(L"Uninstall.exe").native() + L"\" _?=" + Folder().native();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
      return {};
    }
    const DWORD id = process.dwProcessId;
    HWND main = nullptr, box = nullptr;
    std::wstring question;
    const auto mainReady = [&] {
      return main && IsWindowEnabled(GetDlgItem(main, IDOK)) && !VisibleDialogOf(id, true);
    };
    if (WaitFor([&] { return (main = VisibleDialogOf(id, false)) != nullptr && mainReady(); })) {
      PressButton(main, IDOK);
      if (WaitFor([&] { return (box = VisibleDialogOf(id, true)) != nullptr; })) {
        wchar_t text[2048] = {};
        GetWindowTextW(GetDlgItem(box, 0xFFFF), text, 2048);
        question = text;
        Screenshot("uninstaller-question");
        PressButton(box, IDYES);
        if (WaitFor(mainReady, 60000)) PressButton(main, IDOK);
      }
    }
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
      ADD_FAILURE() << "the uninstaller did not end";
      TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return question;
  }

  // A user's settings, exception list and log, for Sopora to start with.
  void PlantDataFiles() {
    const std::string settings = "[PARAMATER]\r\nMAXTime=60\r\nInterval=600\r\nMethod=1\r\n";
    WriteFileBytes(File(L"Sopora.ini"), Bytes(settings.begin(), settings.end()));
    WriteFileBytes(File(L"SoporaWnd.dat"), ListFileOf({"*メモ帳", "Sopora ?"}));
    WriteFileBytes(File(L"Sopora.dat"), LogFileOf({{0, "以前の記録"}, {1, "以前の警告"}}));
  }
  std::map<std::wstring, Bytes> DataFiles() const {
    std::map<std::wstring, Bytes> files;
    for (const wchar_t* name : DATA_FILES) files[name] = ReadFileBytes(File(name));
    return files;
  }
  // The data files are as they were while Sopora ran, but for the one line
  // Sopora itself logs when it is asked to end: it was ended, not killed.
  void ExpectKeptAsSoporaLeftThem(const std::map<std::wstring, Bytes>& whileRunning) {
    const std::map<std::wstring, Bytes> now = DataFiles();
    EXPECT_EQ(now.at(L"Sopora.ini"), whileRunning.at(L"Sopora.ini"));
    EXPECT_EQ(now.at(L"SoporaWnd.dat"), whileRunning.at(L"SoporaWnd.dat"));
    const Bytes& log = now.at(L"Sopora.dat");
    const Bytes& before = whileRunning.at(L"Sopora.dat");
    ASSERT_EQ(log.size(), before.size() + sizeof(LogRecord));
    EXPECT_TRUE(std::equal(before.begin(), before.end(), log.begin()));
    EXPECT_EQ(LogIn(File(L"Sopora.dat")).back(), ENDED);
  }

 private:
  // Ends a Sopora the test started that is still running, and lets go of it.
  void ReleaseSopora() {
    if (!m_sopora.hProcess) return;
    if (!SoporaHasEnded()) {
      TerminateProcess(m_sopora.hProcess, 1);
      WaitForSingleObject(m_sopora.hProcess, 10000);
    }
    CloseHandle(m_sopora.hThread);
    CloseHandle(m_sopora.hProcess);
    m_sopora = {};
  }

  // What an install registers for this user and for the machine, from an
  // earlier run too.
  static void ForgetInstall() {
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, RUN_KEY, L"Sopora");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, EVENT_SOURCE_KEY);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, RUN_KEY, L"Sopora");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, RUNONCE_KEY, HOOK_CLEANUP);
    RegDeleteTreeW(HKEY_CURRENT_USER, UNINSTALL_KEY);
    std::error_code ignored;
    std::filesystem::remove(StartMenuShortcut(), ignored);
    for (const std::wstring& name : MovedAsideHookLibrariesIn(TempFolderOfUser())) {
      std::filesystem::remove(TempFolderOfUser() / name, ignored);
    }
  }

  // Named after the test runner's process: a hook library that another
  // process still has loaded keeps an earlier run's folder.
  TempFolder m_folder{L"installed " + std::to_wstring(GetCurrentProcessId())};
  TempFolder m_support{L"installer support " + std::to_wstring(GetCurrentProcessId())};

 protected:
  TempFolder m_shared{L"installed for everyone " + std::to_wstring(GetCurrentProcessId())};
  PROCESS_INFORMATION m_sopora{};
};

TEST_F(InstallerE2e, ASilentInstallPutsSoporaInPlaceAndItStartsFromThere) {
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(SortedNamesIn(Folder()),
            (std::vector<std::wstring>{L"Help", L"PolicyDefinitions", L"Readme.txt", L"Sopora.exe", L"SoporaHook.dll",
                                       L"Uninstall.exe"}));
  // The user guide in Japanese and in English, each page with its own
  // pictures: the English screenshots in a folder of their own, under the
  // names of the Japanese ones.
  EXPECT_EQ(SortedNamesIn(File(L"Help")), (std::vector<std::wstring>{L"images", L"index-en.htm", L"index.htm"}));
  std::vector<std::wstring> japanesePictures = SortedNamesIn(File(L"Help\\images"));
  EXPECT_EQ(std::erase(japanesePictures, L"en"), 1u);
  EXPECT_FALSE(japanesePictures.empty());
  EXPECT_EQ(SortedNamesIn(File(L"Help\\images\\en")), japanesePictures);

  const std::wstring program = File(L"Sopora.exe").native();
  EXPECT_EQ(ShortcutTarget(StartMenuShortcut()), program);
  EXPECT_EQ(RegText(RUN_KEY, L"Sopora"), L"\"" + program + L"\"");
  EXPECT_EQ(RegText(UNINSTALL_KEY, L"DisplayName"), L"Sopora");
  EXPECT_EQ(RegText(UNINSTALL_KEY, L"DisplayVersion"), SOPORA_PACKAGE_VERSION);
  EXPECT_EQ(RegText(UNINSTALL_KEY, L"DisplayIcon"), program);
  EXPECT_EQ(RegText(UNINSTALL_KEY, L"InstallLocation"), Folder().native());
  EXPECT_TRUE(RegText(UNINSTALL_KEY, L"Publisher"));
  EXPECT_TRUE(RegText(UNINSTALL_KEY, L"UninstallString"));
  EXPECT_GT(RegNumber(UNINSTALL_KEY, L"EstimatedSize").value_or(0), 0u);
  // The binaries carry the version the package is named after.
  const std::vector<unsigned> version{SOPORA_VERSION_MAJOR, SOPORA_VERSION_MINOR, SOPORA_VERSION_PATCH,
                                      SOPORA_VERSION_TWEAK};
  EXPECT_EQ(ProductVersion(File(L"Sopora.exe")), version);
  EXPECT_EQ(ProductVersion(File(L"SoporaHook.dll")), version);

  ASSERT_TRUE(StartAsAtSignIn());
  const std::vector<LogLine> log = LogIn(File(L"Sopora.dat"));
  EXPECT_NE(std::find(log.begin(), log.end(), STARTED), log.end());
}

TEST_F(InstallerE2e, NoRunLeavesOutTheStartAtSignInAndTakesBackAnEarlierOne) {
  ASSERT_EQ(Install(L"/NORUN "), 0);
  EXPECT_FALSE(RegText(RUN_KEY, L"Sopora"));
  EXPECT_TRUE(KeyExists(UNINSTALL_KEY));
  ASSERT_EQ(Install(), 0);
  EXPECT_TRUE(RegText(RUN_KEY, L"Sopora"));
  ASSERT_EQ(Install(L"/NORUN "), 0);
  EXPECT_FALSE(RegText(RUN_KEY, L"Sopora"));
}

TEST_F(InstallerE2e, InstallingAgainEndsTheRunningSoporaAndKeepsItsDataFiles) {
  ASSERT_EQ(Install(), 0);
  PlantDataFiles();
  ASSERT_TRUE(StartAsAtSignIn());
  const std::map<std::wstring, Bytes> whileRunning = DataFiles();

  ASSERT_EQ(Install(), 0);
  EXPECT_TRUE(SoporaHasEnded());
  ExpectKeptAsSoporaLeftThem(whileRunning);
  EXPECT_TRUE(std::filesystem::exists(File(L"SoporaHook.dll")));
  ASSERT_TRUE(StartAsAtSignIn());  // the upgraded Sopora starts with them
}

TEST_F(InstallerE2e, TheSilentUninstallRemovesSoporaAndKeepsItsDataFiles) {
  ASSERT_EQ(Install(), 0);
  PlantDataFiles();
  ASSERT_TRUE(StartAsAtSignIn());
  const std::map<std::wstring, Bytes> whileRunning = DataFiles();

  UninstallQuietly();
  EXPECT_TRUE(SoporaHasEnded());
  EXPECT_EQ(SortedNamesIn(Folder()), (std::vector<std::wstring>{L"Sopora.dat", L"Sopora.ini", L"SoporaDays.csv", L"SoporaWnd.dat"}));
  EXPECT_FALSE(std::filesystem::exists(StartMenuShortcut()));
  EXPECT_FALSE(RegText(RUN_KEY, L"Sopora"));
  ExpectKeptAsSoporaLeftThem(whileRunning);
}

// Told to, the uninstaller removes every file Sopora keeps, beside the
// program and in the user's own folder, and that folder once it is empty;
// files of the user's that only look alike stay.
TEST_F(InstallerE2e, TheUninstallerRemovesTheDataFilesInBothFoldersWhenTheUserSaysSo) {
  ASSERT_EQ(Install(L"/NORUN "), 0);
  const std::vector<std::wstring> soporas = {
      L"Sopora.ini", L"Sopora.dat", L"SoporaWnd.dat",
      L"Sopora.dat.20261201-070905.old", L"Sopora.dat.20261201-070905_2.old", L"SoporaWnd.dat.20261130-235959.old",
      L"Sopora.dat.12-20261201-070905.old", L"Sopora.dat.old", L"SoporaWnd.dat.old",
      L"Sopora.ini.new", L"Sopora.dat.new", L"SoporaWnd.dat.new",
      L"Sopora.ini.lock", L"Sopora.dat.lock", L"SoporaWnd.dat.lock"};
  std::vector<std::wstring> users = {L"Sopora.dat.backup", L"Sopora.dat.mine.old", L"Sopora.ini.txt", L"notes.new"};
  const std::filesystem::path perUser = PerUserFolder();
  std::error_code ignored;
  std::filesystem::remove_all(perUser, ignored);
  std::filesystem::create_directories(perUser);
  for (const std::wstring& name : soporas) {
    for (const std::filesystem::path& file : {File(name.c_str()), perUser / name}) {
      WriteFileBytes(file, {1});
      if (name.ends_with(L".lock")) SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);  // as Sopora makes them
    }
  }
  for (const std::wstring& name : users) WriteFileBytes(File(name.c_str()), {2});

  const std::wstring question = UninstallSayingYes();
  // The question says where the files are kept.
  EXPECT_NE(question.find(Folder().native()), std::wstring::npos) << NarrowCp932(question);
  EXPECT_NE(question.find(perUser.native()), std::wstring::npos) << NarrowCp932(question);
  EXPECT_FALSE(KeyExists(UNINSTALL_KEY));
  users.push_back(L"Uninstall.exe");  // run where it is, it cannot remove itself
  std::sort(users.begin(), users.end());
  EXPECT_EQ(SortedNamesIn(Folder()), users);
  EXPECT_FALSE(std::filesystem::exists(perUser));
  std::filesystem::remove_all(perUser, ignored);
}

// A hook library that a program still has loaded when Sopora is upgraded or
// uninstalled is moved aside, and removed once nothing holds it: by the
// command the user's next sign-in runs, or by the next install.
TEST_F(InstallerE2e, AHookLibraryStillHeldIsRemovedOnceItIsFree) {
  struct Case {
    const char* what;
    bool uninstall;
    bool thenInstall;  // else the user signs in again
  };
  for (const Case& c : {Case{"upgrade, sign-in", false, false}, Case{"upgrade, next install", false, true},
                        Case{"uninstall, sign-in", true, false}}) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(Install(L"/NORUN "), 0);
    const HMODULE held = LoadLibraryW(File(L"SoporaHook.dll").c_str());
    ASSERT_NE(held, nullptr);
    if (c.uninstall) {
      UninstallQuietly();
    } else {
      ASSERT_EQ(Install(L"/NORUN "), 0);
      EXPECT_TRUE(std::filesystem::exists(File(L"SoporaHook.dll")));
    }
    const auto movedAside = [&] {
      return MovedAsideHookLibrariesIn(TempFolderOfUser()).size() + MovedAsideHookLibrariesIn(Folder()).size();
    };
    EXPECT_EQ(movedAside(), 1u);
    const std::optional<std::wstring> atSignIn = RegText(RUNONCE_KEY, HOOK_CLEANUP);
    EXPECT_TRUE(atSignIn);
    FreeLibrary(held);

    if (c.thenInstall) {
      ASSERT_EQ(Install(L"/NORUN "), 0);
      EXPECT_FALSE(RegText(RUNONCE_KEY, HOOK_CLEANUP));
    } else if (atSignIn) {
      EXPECT_NE(RunAndWait(*atSignIn), -1);  // as Windows runs it, whatever it returns
    }
    EXPECT_EQ(movedAside(), 0u);
    EXPECT_EQ(std::filesystem::exists(Folder()), !c.uninstall);
  }
}

// Installed for every user: the start at sign-in, the list-of-apps entry
// and the event source are the machine's; the user's own Sopora gives way to
// it; the shared Sopora keeps the user's data in the user's own folder,
// though it could write beside itself; the uninstaller takes it all back.
TEST_F(InstallerE2e, TheInstallForEveryUserIsTheMachinesAndTheDataStayEachUsers) {
  const std::filesystem::path perUser = PerUserFolder();
  std::error_code ignored;
  std::filesystem::remove_all(perUser, ignored);
  ASSERT_EQ(Install(L"/CurrentUser "), 0);
  ASSERT_EQ(InstallInto(m_shared.Path(), L"/AllUsers "), 0);
  const std::wstring program = m_shared.File(L"Sopora.exe").native();
  EXPECT_EQ(RegText(RUN_KEY, L"Sopora", HKEY_LOCAL_MACHINE), L"\"" + program + L"\"");
  EXPECT_EQ(RegText(UNINSTALL_KEY, L"InstallLocation", HKEY_LOCAL_MACHINE), m_shared.Path().native());
  EXPECT_EQ(RegText(EVENT_SOURCE_KEY, L"EventMessageFile", HKEY_LOCAL_MACHINE), program);
  EXPECT_EQ(RegNumber(EVENT_SOURCE_KEY, L"TypesSupported", HKEY_LOCAL_MACHINE), 7u);

  ASSERT_TRUE(Start(HKEY_CURRENT_USER));
  EXPECT_TRUE(WaitFor([&] { return SoporaHasEnded(); }));
  EXPECT_FALSE(RegText(RUN_KEY, L"Sopora"));
  EXPECT_EQ(LogIn(File(L"Sopora.dat")), std::vector<LogLine>{GAVE_WAY});

  ASSERT_TRUE(StartAsAtSignIn(HKEY_LOCAL_MACHINE, perUser));
  EXPECT_FALSE(std::filesystem::exists(m_shared.File(L"Sopora.dat")));
  UninstallQuietly(HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(RegText(RUN_KEY, L"Sopora", HKEY_LOCAL_MACHINE));
  EXPECT_FALSE(KeyExists(EVENT_SOURCE_KEY, HKEY_LOCAL_MACHINE));
  EXPECT_TRUE(std::filesystem::exists(perUser / L"Sopora.dat"));
  std::filesystem::remove_all(perUser, ignored);
}

// Sopora running in another user's session keeps its program file (here
// held without write sharing, as a running program is): the program and its
// hook library are replaced together when Windows restarts, said by 3010.
TEST_F(InstallerE2e, AnUpgradeWhileSoporaRunsElsewhereReplacesItAtTheRestart) {
  ASSERT_EQ(InstallInto(m_shared.Path(), L"/ALLUSERS /NORUN "), 0);
  HANDLE running = CreateFileW(m_shared.File(L"Sopora.exe").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(InstallInto(m_shared.Path(), L"/ALLUSERS /NORUN "), static_cast<long>(ERROR_SUCCESS_REBOOT_REQUIRED));
  CloseHandle(running);
  for (const wchar_t* name : {L"Sopora.exe.new", L"SoporaHook.dll.new"}) {
    EXPECT_NE(MovesAtRestart().find(m_shared.File(name).native()), std::wstring::npos) << NarrowCp932(name);
  }
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, SESSION_MANAGER_KEY, L"PendingFileRenameOperations");  // not for Wine to do
  EXPECT_EQ(InstallInto(m_shared.Path(), L"/ALLUSERS /NORUN "), 0);  // nothing held: at once
  UninstallQuietly(HKEY_LOCAL_MACHINE);
}

}  // namespace
}  // namespace sopora::e2e
