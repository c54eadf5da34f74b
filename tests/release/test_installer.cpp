// The release's per-user installer under Wine, run silently into a folder of
// the user's as an unattended install would be: what it puts in place, the
// Sopora it installed starting from there as at sign-in, the start at
// sign-in left out, an upgrade while that Sopora runs, and the uninstaller
// the list of apps runs.
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
const LogLine STARTED{0, "Sopora が起動しました"};
const LogLine ENDED{0, "Sopora を終了します"};
const wchar_t* const DATA_FILES[] = {L"Sopora.ini", L"Sopora.dat", L"SoporaWnd.dat"};

std::optional<std::wstring> RegText(const wchar_t* key, const wchar_t* name) {
  wchar_t value[1024];
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

std::optional<DWORD> RegNumber(const wchar_t* key, const wchar_t* name) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

bool KeyExists(const wchar_t* key) {
  HKEY handle;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
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

std::vector<std::wstring> SortedNamesIn(const std::filesystem::path& folder) {
  std::vector<std::wstring> names;
  std::error_code none;  // a folder that is gone holds nothing
  for (const auto& entry : std::filesystem::directory_iterator(folder, none)) {
    names.push_back(entry.path().filename().native());
  }
  std::sort(names.begin(), names.end());
  return names;
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

  long Install(const std::wstring& options = L"") {
    const std::filesystem::path installer = WindowsPathOfHostFile(SOPORA_INSTALLER);
    if (!std::filesystem::exists(installer)) {
      ADD_FAILURE() << "no installer " << SOPORA_INSTALLER << ": tools/release.sh makes it";
      return -1;
    }
    // /D= comes last and unquoted, spaces and all.
    return RunAndWait(L"\"" + installer.native() + L"\" /S " + options + L"/D=" + Folder().native());
  }

  // Starts the installed Sopora as Windows does at sign-in, with the Run
  // value's command line, and waits until its start-up is complete.
  bool StartAsAtSignIn() {
    ReleaseSopora();
    std::optional<std::wstring> command = RegText(RUN_KEY, L"Sopora");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!command || !CreateProcessW(nullptr, command->data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                    &m_sopora)) {
      return false;
    }
    return WaitFor([&] {
      const std::vector<LogLine> log = LogIn(File(L"Sopora.dat"));
      return !WindowsOf(m_sopora.dwProcessId, L"SoporaFrame").empty() && !log.empty() && log.back() == STARTUP.back();
    });
  }
  bool SoporaHasEnded() const { return WaitForSingleObject(m_sopora.hProcess, 0) == WAIT_OBJECT_0; }

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

  // What an install registers for this user, from an earlier run too.
  static void ForgetInstall() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, RUN_KEY, L"Sopora");
    RegDeleteTreeW(HKEY_CURRENT_USER, UNINSTALL_KEY);
    std::error_code ignored;
    std::filesystem::remove(StartMenuShortcut(), ignored);
  }

  // Named after the test runner's process: a hook library that another
  // process still has loaded keeps an earlier run's folder.
  TempFolder m_folder{L"installed " + std::to_wstring(GetCurrentProcessId())};
  TempFolder m_support{L"installer support " + std::to_wstring(GetCurrentProcessId())};
  PROCESS_INFORMATION m_sopora{};
};

TEST_F(InstallerE2e, ASilentInstallPutsSoporaInPlaceAndItStartsFromThere) {
  ASSERT_EQ(Install(), 0);
  EXPECT_EQ(SortedNamesIn(Folder()),
            (std::vector<std::wstring>{L"Help", L"Readme.txt", L"Sopora.exe", L"SoporaHook.dll", L"Uninstall.exe"}));
  EXPECT_TRUE(std::filesystem::exists(File(L"Help\\index.htm")));

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

  // As the list of apps runs it. The uninstaller goes on from a copy of
  // itself in the temporary folder, so its removals are waited for.
  const std::optional<std::wstring> uninstall = RegText(UNINSTALL_KEY, L"QuietUninstallString");
  ASSERT_TRUE(uninstall);
  ASSERT_EQ(RunAndWait(*uninstall), 0);
  EXPECT_TRUE(WaitFor(
      [&] { return !KeyExists(UNINSTALL_KEY) && !std::filesystem::exists(File(L"Help")); }, 60000));
  EXPECT_TRUE(SoporaHasEnded());
  EXPECT_EQ(SortedNamesIn(Folder()), (std::vector<std::wstring>{L"Sopora.dat", L"Sopora.ini", L"SoporaWnd.dat"}));
  EXPECT_FALSE(std::filesystem::exists(StartMenuShortcut()));
  EXPECT_FALSE(RegText(RUN_KEY, L"Sopora"));
  ExpectKeptAsSoporaLeftThem(whileRunning);
}

}  // namespace
}  // namespace sopora::e2e
