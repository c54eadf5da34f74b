// The data layer against the real Win32 calls: INI files as
// WritePrivateProfileString lays them out, files that may not be written,
// the atomic replace, and the program's own path handling.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "data/data_store.h"
#include "data/operation_log.h"
#include "data/monitor_settings.h"
#include "data/file_system_win.h"
#include "data/ini_store_win.h"
#include "framework/win_handles.h"
#include "support/default_settings.h"
#include "support/fake_data_services.h"
#include "win/support/temp_folder.h"

namespace sopora {
namespace {

constexpr SystemTime NOON = {2026, 12, 2, 8, 12, 0, 0, 0};

const char* const FIRST_SAVE =
    "[PARAMATER]\r\n"
    "CPUBorder=20\r\n"
    "DISKBorder=500\r\n"
    "NETBorder=300\r\n"
    "MAXTime=5\r\n"
    "Interval=1\r\n"
    "Method=0\r\n"
    "ResumeReboot=0\r\n"
    "Retry=0\r\n"
    "Network=0\r\n"
    "Disk=0\r\n";

TEST(IniWin, AFirstSaveWritesTheElevenLinesInOrder) {
  TempFolder folder(L"ini-first");
  const DataFilePaths paths = DataFilePathsIn(folder.Directory(), folder.Directory());
  Win32IniStore ini(paths.iniFile);
  MonitorSettings defaults = DefaultSettings();
  WriteMonitorSettings(ini, defaults);
  EXPECT_EQ(ReadFileText(paths.iniFile), FIRST_SAVE);
}

TEST(IniWin, ASecondSaveKeepsEveryKeyInItsPlace) {
  TempFolder folder(L"ini-second");
  const DataFilePaths paths = DataFilePathsIn(folder.Directory(), folder.Directory());
  WriteFileBytes(paths.iniFile, [] {
    const std::string text = "; tuned by hand\r\n[PARAMATER]\r\nDisk=1\r\nMAXTime=30\r\nCPUBorder=15\r\n";
    return Bytes(text.begin(), text.end());
  }());
  Win32IniStore ini(paths.iniFile);
  MonitorSettings s = DefaultSettings();
  s.MAXTime = 45;
  WriteMonitorSettings(ini, s);
  WriteMonitorSettings(ini, s);  // and once more: nothing moves
  EXPECT_EQ(ReadFileText(paths.iniFile),
            "; tuned by hand\r\n[PARAMATER]\r\nDisk=0\r\nMAXTime=45\r\nCPUBorder=20\r\n"
            "DISKBorder=500\r\nNETBorder=300\r\nInterval=1\r\nMethod=0\r\nResumeReboot=0\r\n"
            "Retry=0\r\nNetwork=0\r\n");
}

TEST(IniWin, AMissingFileLoadsTheDefaultsAndStaysMissing) {
  TempFolder folder(L"ini-missing");
  const DataFilePaths paths = DataFilePathsIn(folder.Directory(), folder.Directory());
  Win32IniStore ini(paths.iniFile);
  const MonitorSettings s = ReadMonitorSettings(ini);
  EXPECT_EQ(s.CPUBorder, 20);
  EXPECT_EQ(s.NETBorder, 300);
  EXPECT_EQ(s.DISKBorder, 500);
  EXPECT_EQ(s.MAXTime, 5);
  EXPECT_EQ(s.Interval, 1);
  EXPECT_EQ(s.Method + s.ResumeReboot + s.Retry + s.Network + s.Disk, 0);
  EXPECT_FALSE(std::filesystem::exists(paths.iniFile));
}

TEST(IniWin, HandEditedValuesAreRepaired) {
  TempFolder folder(L"ini-hand");
  const DataFilePaths paths = DataFilePathsIn(folder.Directory(), folder.Directory());
  const std::string text =
      "[PARAMATER]\r\nCPUBorder=abc\r\nNETBorder=999\r\nDISKBorder=-7\r\nMAXTime=-5\r\n"
      "Interval=999999999\r\nMethod=-1\r\n";
  WriteFileBytes(paths.iniFile, Bytes(text.begin(), text.end()));
  Win32IniStore ini(paths.iniFile);
  const MonitorSettings s = ReadMonitorSettings(ini);
  EXPECT_EQ(s.CPUBorder, 20);   // not a number reads as 0
  EXPECT_EQ(s.NETBorder, 999);
  EXPECT_EQ(s.DISKBorder, 500);
  EXPECT_EQ(s.MAXTime, 5);      // negative: repaired like 0
  EXPECT_EQ(s.Interval, INTERVAL_LIMIT_SECONDS);
  EXPECT_EQ(s.Method, -1);      // used as read
}

class DataFilesWin : public ::testing::Test {
 protected:
  TempFolder folder{L"data-files"};
  Win32FileSystem files;
  RecordingNotifier notifier;
  FakeClock clock;
  DataFilePaths paths = DataFilePathsIn(folder.Directory(), folder.Directory());
};

TEST_F(DataFilesWin, TheFilesOfAProgramInAWritableFolderLieBesideIt) {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  const std::wstring directory = std::filesystem::path(exe).parent_path().native() + L"\\";
  Win32DataFolders folders(false);
  const DataFilePaths located = LocateDataFiles(folders);
  EXPECT_EQ(located.iniFile.native(), directory + L"Sopora.ini");
  EXPECT_EQ(located.logFile.native(), directory + L"Sopora.dat");
  EXPECT_EQ(located.wndFile.native(), directory + L"SoporaWnd.dat");
  EXPECT_EQ(located.helpFile.native(), directory + L"Help\\index.htm");
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    EXPECT_FALSE(entry.path().extension() == L".tmp") << entry.path();  // the probe left nothing
  }
}

TEST_F(DataFilesWin, AMissingLogIsCreatedAndRewrittenWhole) {
  CDataStore store(files, notifier, clock, paths);
  store.LoadLog();
  EXPECT_EQ(ReadFileBytes(paths.logFile), Bytes{0x01});
  for (int i = 0; i < 3; ++i) store.AppendLog(MakeLogRecord(i, "監視を再開しました", NOON));
  const Bytes file = ReadFileBytes(paths.logFile);
  ASSERT_EQ(file.size(), 1u + 3u * 276u);
  EXPECT_EQ(std::string(file.begin() + 1 + 2 * 276 + 20, file.begin() + 1 + 2 * 276 + 38), "監視を再開しました");
  EXPECT_EQ(FilesIn(folder.Path()), (std::vector<std::filesystem::path>{L"Sopora.dat", L"Sopora.dat.lock"}));
  EXPECT_TRUE(notifier.shown.empty());
}

TEST_F(DataFilesWin, AReadOnlyLogCannotBeOpenedAndAppendsFailSilently) {
  CDataStore store(files, notifier, clock, paths);
  store.LoadLog();
  store.AppendLog(MakeLogRecord(0, "one", NOON));
  const Bytes before = ReadFileBytes(paths.logFile);
  ASSERT_TRUE(SetFileAttributesW(paths.logFile.c_str(), FILE_ATTRIBUTE_READONLY));

  store.LoadLog();
  EXPECT_EQ(notifier.shown, std::vector<std::string>{"ログファイルを開けません。"});
  store.AppendLog(MakeLogRecord(0, "two", NOON));
  store.AppendLog(MakeLogRecord(0, "three", NOON));

  std::vector<LogRecord> inMemory;
  EXPECT_EQ(store.GetLogRecords(inMemory), 2);
  EXPECT_EQ(ReadFileBytes(paths.logFile), before);
  EXPECT_EQ(notifier.shown.size(), 1u);
  EXPECT_EQ(FilesIn(folder.Path()), (std::vector<std::filesystem::path>{L"Sopora.dat", L"Sopora.dat.lock"}));
}

// The real file system, except that writing stops after a number of bytes,
// as on a disk that fills up.
class DiskFillsUp : public Win32FileSystem {
 public:
  explicit DiskFillsUp(std::size_t room) : m_room(room) {}
  std::unique_ptr<OutputFile> Create(const DataPath& path) override {
    auto real = Win32FileSystem::Create(path);
    if (!real) return nullptr;
    return std::make_unique<Limited>(std::move(real), m_room);
  }

 private:
  class Limited : public OutputFile {
   public:
    Limited(std::unique_ptr<OutputFile> real, std::size_t room) : m_real(std::move(real)), m_room(room) {}
    bool Write(std::span<const std::uint8_t> bytes) override {
      const std::size_t fits = std::min(bytes.size(), m_room);
      m_room -= fits;
      return m_real->Write(bytes.first(fits)) && fits == bytes.size();
    }
    bool Flush() override { return m_real->Flush(); }

   private:
    std::unique_ptr<OutputFile> m_real;
    std::size_t m_room;
  };
  std::size_t m_room;
};

TEST_F(DataFilesWin, ARewriteThatFailsPartWayLeavesTheOldFileIntact) {
  for (std::size_t room : {0u, 1u, 500u}) {
    CDataStore writer(files, notifier, clock, paths);
    writer.SaveExceptWnd({});
    std::vector<ExceptWndEntry> entries(3);
    for (ExceptWndEntry& e : entries) std::memset(&e, 0, sizeof e);
    std::strcpy(entries[0].title, "*メモ帳");
    writer.SaveExceptWnd(entries);
    const Bytes before = ReadFileBytes(paths.wndFile);
    ASSERT_EQ(before.size(), 1u + 3u * 520u);

    DiskFillsUp full(room);
    CDataStore store(full, notifier, clock, paths);
    entries.resize(1);
    store.SaveExceptWnd(entries);
    EXPECT_EQ(ReadFileBytes(paths.wndFile), before) << room;
    EXPECT_EQ(FilesIn(folder.Path()), (std::vector<std::filesystem::path>{L"SoporaWnd.dat", L"SoporaWnd.dat.lock"}))
        << room;
  }
}

TEST_F(DataFilesWin, AReadOnlyExceptionListKeepsItsContentOnSave) {
  CDataStore store(files, notifier, clock, paths);
  std::vector<ExceptWndEntry> entries(1);
  std::memset(entries.data(), 0, sizeof(ExceptWndEntry));
  std::strcpy(entries[0].title, "keep");
  store.SaveExceptWnd(entries);
  const Bytes before = ReadFileBytes(paths.wndFile);
  ASSERT_TRUE(SetFileAttributesW(paths.wndFile.c_str(), FILE_ATTRIBUTE_READONLY));
  store.SaveExceptWnd({});
  EXPECT_EQ(ReadFileBytes(paths.wndFile), before);
  std::vector<ExceptWndEntry> loaded;
  EXPECT_EQ(store.LoadExceptWnd(loaded), LoadOutcome::Loaded);  // honoured all the same
  EXPECT_TRUE(loaded.size() == 1 && notifier.shown.empty());
}

TEST_F(DataFilesWin, ARewriteKeepsAHiddenFileHiddenAndGetsPastAStaleTemporary) {
  WriteFileBytes(paths.logFile, Bytes{0x01});
  ASSERT_TRUE(SetFileAttributesW(paths.logFile.c_str(), FILE_ATTRIBUTE_HIDDEN));
  const DataPath temporary(paths.logFile.native() + L".new");
  WriteFileBytes(temporary, Bytes(7, 0x55));  // left by a crash, then made read-only and hidden
  ASSERT_TRUE(SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));

  CDataStore store(files, notifier, clock, paths);
  store.LoadLog();
  store.AppendLog(MakeLogRecord(0, "監視タイマー開始", NOON));
  EXPECT_EQ(ReadFileBytes(paths.logFile).size(), 277u);
  EXPECT_TRUE(GetFileAttributesW(paths.logFile.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_FALSE(std::filesystem::exists(temporary));
}

TEST_F(DataFilesWin, AFileHeldWithoutWriteSharingIsNeitherReadNorMovedUntilReleased) {
  WriteFileBytes(paths.logFile, Bytes{0x01, 0x02});
  const UniqueKernelHandle held = FileHandle(CreateFileW(paths.logFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  const DataPath kept = KeptAsidePath(paths.logFile, 1, clock.now);
  EXPECT_EQ(files.Read(paths.logFile, 1000, OpenFor::Update).status, FileContent::Status::CannotOpen);
  EXPECT_EQ(files.Read(paths.logFile, 1000, OpenFor::Reading).bytes, (Bytes{0x01, 0x02}));
  EXPECT_FALSE(files.MoveAside(paths.logFile, kept));
  EXPECT_FALSE(files.AppendInPlace(paths.logFile, 2, Bytes{0x03}));
  EXPECT_EQ(ReadFileBytes(paths.logFile), (Bytes{0x01, 0x02}));
  EXPECT_TRUE(files.Stamp(paths.logFile).has_value());  // looking is still possible

  const_cast<UniqueKernelHandle&>(held).Reset();
  EXPECT_TRUE(files.MoveAside(paths.logFile, kept));
  EXPECT_EQ(ReadFileBytes(kept), (Bytes{0x01, 0x02}));
}

TEST_F(DataFilesWin, AStampChangesWithEveryWriteAndOnlyThen) {
  CDataStore store(files, notifier, clock, paths);
  ASSERT_EQ(store.SaveExceptWnd({}), SaveOutcome::Saved);
  const std::optional<FileStamp> first = files.Stamp(paths.wndFile);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(files.Stamp(paths.wndFile), first);
  ASSERT_EQ(store.SaveExceptWnd({ExceptWndEntry{"*", ""}}), SaveOutcome::Saved);
  const std::optional<FileStamp> second = files.Stamp(paths.wndFile);
  EXPECT_NE(second, first);
  ASSERT_TRUE(files.AppendInPlace(paths.wndFile, 521, Bytes(520, 0)));
  EXPECT_NE(files.Stamp(paths.wndFile), second);
  EXPECT_FALSE(files.Stamp(paths.iniFile).has_value());  // no file
}

TEST_F(DataFilesWin, AddingInPlaceNeedsTheLengthItWasToldAndCanBeReadBack) {
  WriteFileBytes(paths.logFile, Bytes{0x01, 0x02});
  EXPECT_FALSE(files.AppendInPlace(paths.logFile, 3, Bytes{0x03}));  // someone else changed it meanwhile
  EXPECT_TRUE(files.AppendInPlace(paths.logFile, 2, Bytes{0x03, 0x04}));
  EXPECT_EQ(ReadFileBytes(paths.logFile), (Bytes{0x01, 0x02, 0x03, 0x04}));
  EXPECT_FALSE(files.AppendInPlace(paths.iniFile, 0, Bytes{0x01}));  // no file: nothing is made
  EXPECT_FALSE(std::filesystem::exists(paths.iniFile));
}

// The lock of a data file keeps a second holder out (another handle counts
// as another program) until the first lets go.
TEST_F(DataFilesWin, TheLockFileAdmitsOneHolderAtATime) {
  const DataPath lockFile(paths.logFile.native() + L".lock");
  std::unique_ptr<FileLock> first = files.Lock(lockFile);
  ASSERT_NE(first, nullptr);
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(files.Lock(lockFile), nullptr);
  EXPECT_GE(GetTickCount64() - start, 2000u);  // it waited for the holder before giving up
  EXPECT_FALSE(DeleteFileW(lockFile.c_str()));  // nor can it be deleted away under its holder
  first.reset();
  EXPECT_NE(files.Lock(lockFile), nullptr);
  EXPECT_TRUE(GetFileAttributesW(lockFile.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(SetFileAttributesW(lockFile.c_str(), FILE_ATTRIBUTE_READONLY));  // read-only, it still locks
  first = files.Lock(lockFile);
  EXPECT_EQ(files.Lock(lockFile), nullptr);
  first.reset();
  SetFileAttributesW(lockFile.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_TRUE(DeleteFileW(lockFile.c_str()) && CreateDirectoryW(lockFile.c_str(), nullptr));
  EXPECT_FALSE(files.Lock(lockFile)->Excludes());
}

// Files that could not be read keep names of their own beside the file;
// the single .old of earlier versions stays as it is.
TEST_F(DataFilesWin, UnreadableLogsAreKeptAsideOneByOne) {
  WriteFileBytes(DataPath(paths.logFile.native() + L".old"), Bytes{0x7F});
  for (const std::uint8_t version : {std::uint8_t{0x02}, std::uint8_t{0x03}}) {
    WriteFileBytes(paths.logFile, Bytes{version, 0x00});
    CDataStore store(files, notifier, clock, paths);
    store.LoadLog();
    store.AppendLog(MakeLogRecord(0, "監視タイマー開始", NOON));
    clock.now.wMinute += 1;
  }
  EXPECT_EQ(FilesIn(folder.Path()), (std::vector<std::filesystem::path>{
                                        L"Sopora.dat", L"Sopora.dat.1-20261203-090715.old",
                                        L"Sopora.dat.2-20261203-090815.old", L"Sopora.dat.lock", L"Sopora.dat.old"}));
  EXPECT_EQ(ReadFileBytes(folder.File(L"Sopora.dat.2-20261203-090815.old")), (Bytes{0x03, 0x00}));
  EXPECT_EQ(ReadFileBytes(folder.File(L"Sopora.dat.old")), Bytes{0x7F});
}

TEST_F(DataFilesWin, AFileLargerThanItsLimitIsNotRead) {
  WriteFileBytes(paths.wndFile, Bytes(2000, 0x01));
  EXPECT_EQ(files.Read(paths.wndFile, 1999, OpenFor::Update).status, FileContent::Status::TooLarge);
  const FileContent whole = files.Read(paths.wndFile, 2000, OpenFor::Reading);
  EXPECT_EQ(whole.status, FileContent::Status::Read);
  EXPECT_EQ(whole.bytes.size(), 2000u);
}

}  // namespace
}  // namespace sopora
