// The operation log file and the exception-window list file: exact layouts,
// load messages, the record limit and the crash-safe rewrite.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "data/data_store.h"
#include "data/text_field.h"
#include "support/fake_data_services.h"

namespace sopora {
namespace {

const std::string LOG_CANNOT_CREATE = "ログファイルを生成できません。";
const std::string LOG_CANNOT_OPEN = "ログファイルを開けません。";
const std::string LOG_WRONG_VERSION = "ログファイルのバージョンが違います。";
const std::string WND_CANNOT_CREATE = "例外ウィンドウ定義ファイルを生成できません。";
const std::string WND_CANNOT_OPEN = "例外ウィンドウ定義ファイルを開けません。";
const std::string WND_WRONG_VERSION = "例外ウィンドウ定義ファイルのバージョンが違います。";

constexpr SystemTime NOON = {2026, 12, 2, 8, 12, 0, 0, 0};

LogRecord Record(int number) {
  return MakeLogRecord(number % 8, "message " + std::to_string(number), NOON);
}

Bytes LogFile(int records, std::size_t trailing = 0, std::uint8_t version = DATA_FILE_VERSION) {
  Bytes bytes{version};
  for (int i = 0; i < records; ++i) {
    const LogRecord r = Record(i);
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&r);
    bytes.insert(bytes.end(), raw, raw + sizeof r);
  }
  bytes.insert(bytes.end(), trailing, 0x5A);
  return bytes;
}

ExceptWndEntry Pattern(std::string_view title) {
  ExceptWndEntry entry;
  std::memset(&entry, 0, sizeof entry);
  CopyTextToField(entry.title, title);
  return entry;
}

Bytes WndFile(const std::vector<std::string>& titles, std::size_t trailing = 0) {
  Bytes bytes{DATA_FILE_VERSION};
  for (const std::string& title : titles) {
    const ExceptWndEntry e = Pattern(title);
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&e);
    bytes.insert(bytes.end(), raw, raw + sizeof e);
  }
  bytes.insert(bytes.end(), trailing, 0x5A);
  return bytes;
}

class DataFilesTest : public ::testing::Test {
 protected:
  FakeDataServices fake;
  CDataStore store{fake.files, fake.notifier, fake.paths};

  std::vector<LogRecord> Loaded() {
    std::vector<LogRecord> records;
    store.GetLogRecords(records);
    return records;
  }
  Bytes& LogBytes() { return fake.files.files[fake.paths.logFile]; }
};

TEST_F(DataFilesTest, MissingLogIsCreatedAsTheVersionByteAndTheFirstAppendMakes277Bytes) {
  store.LoadLog();
  EXPECT_EQ(LogBytes(), Bytes{0x01});
  EXPECT_TRUE(Loaded().empty());
  EXPECT_TRUE(fake.notifier.shown.empty());

  store.AppendLog(Record(7));
  ASSERT_EQ(LogBytes().size(), 277u);
  EXPECT_EQ(LogBytes()[0], 0x01);
  EXPECT_EQ(std::memcmp(LogBytes().data() + 1, &Loaded()[0], 276), 0);
}

TEST_F(DataFilesTest, LoadingTakesEveryWholeRecordAndIgnoresATrailingPart) {
  struct Case {
    int records;
    std::size_t trailing;
  };
  for (const Case c : {Case{0, 0}, Case{1, 0}, Case{3, 1}, Case{3, 100}, Case{2, 275}, Case{1200, 17}}) {
    fake.files.files[fake.paths.logFile] = LogFile(c.records, c.trailing);
    store.LoadLog();
    const std::vector<LogRecord> loaded = Loaded();
    ASSERT_EQ(loaded.size(), static_cast<std::size_t>(c.records)) << c.records << "+" << c.trailing;
    for (int i = 0; i < c.records; ++i) {
      EXPECT_EQ(std::memcmp(&loaded[i], LogFile(c.records).data() + 1 + 276 * i, 276), 0);
    }
    EXPECT_TRUE(fake.notifier.shown.empty());
  }
  // The next rewrite drops the partial record: 1 + 276 x (n + 1) bytes.
  fake.files.files[fake.paths.logFile] = LogFile(3, 100);
  store.LoadLog();
  store.AppendLog(Record(99));
  EXPECT_EQ(LogBytes().size(), 1u + 276u * 4u);
}

TEST_F(DataFilesTest, AForeignOrEmptyLogIsReportedOnceAndNotParsed) {
  struct Case {
    const char* name;
    Bytes content;
  };
  const Case cases[] = {
      {"empty file", Bytes{}},
      {"version 2 with records", LogFile(3, 0, 0x02)},
      {"version 0", LogFile(1, 0, 0x00)},
  };
  for (const Case& c : cases) {
    fake.notifier.shown.clear();
    fake.files.files[fake.paths.logFile] = c.content;
    store.LoadLog();
    EXPECT_EQ(fake.notifier.shown, std::vector<std::string>{LOG_WRONG_VERSION}) << c.name;
    EXPECT_TRUE(Loaded().empty()) << c.name;
    // The next append writes our format with what is in memory, and the
    // file it could not read is kept beside it.
    store.AppendLog(Record(1));
    EXPECT_EQ(LogBytes().size(), 277u) << c.name;
    EXPECT_EQ(LogBytes()[0], 0x01) << c.name;
    EXPECT_EQ(fake.files.files[KeptAsidePath(fake.paths.logFile)], c.content) << c.name;
  }
}

TEST_F(DataFilesTest, TheThousandAndFirstRecordPushesOutTheOldest) {
  fake.files.files[fake.paths.logFile] = LogFile(1000);
  store.LoadLog();
  store.AppendLog(Record(5000));

  const std::vector<LogRecord> loaded = Loaded();
  ASSERT_EQ(loaded.size(), 1000u);
  EXPECT_EQ(TextOfField(loaded.front().text), "message 1");
  EXPECT_EQ(TextOfField(loaded.back().text), "message 5000");
  EXPECT_EQ(LogBytes().size(), 276001u);
}

TEST_F(DataFilesTest, AnOversizedLogIsCutToTheNewestThousandAtItsFirstRewrite) {
  fake.files.files[fake.paths.logFile] = LogFile(1500);
  store.LoadLog();
  EXPECT_EQ(Loaded().size(), 1500u);  // nothing is dropped while loading
  store.AppendLog(Record(9999));
  const std::vector<LogRecord> loaded = Loaded();
  ASSERT_EQ(loaded.size(), 1000u);
  EXPECT_EQ(TextOfField(loaded.front().text), "message 501");
  EXPECT_EQ(TextOfField(loaded.back().text), "message 9999");
  EXPECT_EQ(LogBytes().size(), 276001u);
  EXPECT_FALSE(fake.files.Exists(KeptAsidePath(fake.paths.logFile)));  // it was ours: nothing to keep
}

TEST_F(DataFilesTest, LogTextIsCutToTheFieldAtACharacterBoundary) {
  struct Case {
    const char* name;
    std::string text;
    std::string stored;
  };
  const std::string ascii255(255, 'a');
  const std::string kana = "ア";  // two bytes
  const Case cases[] = {
      {"255 bytes fit", ascii255, ascii255},
      {"256 bytes lose the last", ascii255 + "b", ascii255},
      {"a double-byte character across byte 255 goes whole", std::string(254, 'a') + kana, std::string(254, 'a')},
      {"a double-byte character ending on byte 255 stays", std::string(253, 'a') + kana, std::string(253, 'a') + kana},
      {"embedded NUL ends the text", std::string("ab\0cd", 5), "ab"},
  };
  for (const Case& c : cases) {
    const LogRecord r = MakeLogRecord(1, c.text, NOON);
    EXPECT_EQ(TextOfField(r.text), c.stored) << c.name;
    EXPECT_EQ(r.text[255], '\0') << c.name;
    for (std::size_t i = c.stored.size(); i < 256; ++i) ASSERT_EQ(r.text[i], '\0') << c.name;
  }
}

TEST_F(DataFilesTest, ALoadedTextWithoutNulEndsAtTheFieldsEnd) {
  Bytes file = LogFile(1);
  std::memset(file.data() + 1 + 20, 'x', 256);
  fake.files.files[fake.paths.logFile] = file;
  store.LoadLog();
  ASSERT_EQ(Loaded().size(), 1u);
  EXPECT_EQ(TextOfField(Loaded()[0].text), std::string(256, 'x'));
  store.AppendLog(Record(2));
  EXPECT_EQ(Bytes(LogBytes().begin(), LogBytes().begin() + 277), file);  // written back unchanged
}

TEST_F(DataFilesTest, AReadOnlyLogCannotBeOpenedAndLaterAppendsStayInMemory) {
  fake.files.files[fake.paths.logFile] = LogFile(2);
  fake.files.readOnly.push_back(fake.paths.logFile);
  store.LoadLog();
  EXPECT_EQ(fake.notifier.shown, std::vector<std::string>{LOG_CANNOT_OPEN});
  EXPECT_TRUE(Loaded().empty());

  store.AppendLog(Record(10));
  store.AppendLog(Record(11));
  EXPECT_EQ(Loaded().size(), 2u);
  EXPECT_EQ(LogBytes(), LogFile(2));  // untouched
  EXPECT_EQ(fake.notifier.shown.size(), 1u);
  EXPECT_EQ(fake.files.Paths(), std::vector<DataPath>{fake.paths.logFile});  // no temporary left behind
}

TEST_F(DataFilesTest, ALogThatCannotBeCreatedStartsEmptyAndAppendsRetry) {
  fake.files.folderWritable = false;
  store.LoadLog();
  EXPECT_EQ(fake.notifier.shown, std::vector<std::string>{LOG_CANNOT_CREATE});
  store.AppendLog(Record(1));
  EXPECT_FALSE(fake.files.Exists(fake.paths.logFile));

  fake.files.folderWritable = true;  // the folder became writable
  store.AppendLog(Record(2));
  EXPECT_EQ(LogBytes().size(), 1u + 2u * 276u);
}

TEST_F(DataFilesTest, ARewriteThatFailsPartWayLeavesTheOldFileWhole) {
  struct Case {
    const char* name;
    std::optional<std::size_t> failAfter;
    bool failReplace;
  };
  const Case cases[] = {
      {"disk full after the version byte", 1, false},
      {"disk full in the middle of a record", 300, false},
      {"disk full at once", 0, false},
      {"replace refused", std::nullopt, true},
  };
  for (const Case& c : cases) {
    fake.files.failWritesAfterBytes.reset();
    fake.files.failReplace = false;
    fake.files.files.clear();
    fake.files.files[fake.paths.logFile] = LogFile(3);
    store.LoadLog();

    fake.files.failWritesAfterBytes = c.failAfter;
    fake.files.failReplace = c.failReplace;
    store.AppendLog(Record(100));
    EXPECT_EQ(LogBytes(), LogFile(3)) << c.name;
    EXPECT_EQ(fake.files.Paths(), std::vector<DataPath>{fake.paths.logFile}) << c.name;
    EXPECT_EQ(Loaded().size(), 4u) << c.name;

    fake.files.failWritesAfterBytes.reset();
    fake.files.failReplace = false;
    store.AppendLog(Record(101));  // the next append writes everything
    EXPECT_EQ(LogBytes().size(), 1u + 5u * 276u) << c.name;
  }
}

TEST_F(DataFilesTest, MessagesOfTheSameSecondKeepTheirCallOrder) {
  store.LoadLog();
  store.AppendLog(MakeLogRecord(0, "first", NOON));
  store.AppendLog(MakeLogRecord(0, "second", NOON));
  const std::vector<LogRecord> loaded = Loaded();
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(TextOfField(loaded[0].text), "first");
  EXPECT_EQ(TextOfField(loaded[1].text), "second");
}

TEST_F(DataFilesTest, ExceptionListLoadCases) {
  struct Case {
    const char* name;
    std::optional<Bytes> content;  // nullopt: no file
    bool readOnly;
    std::vector<std::string> expectedTitles;
    std::vector<std::string> expectedMessages;
  };
  const std::string long259(259, 'w');
  const Case cases[] = {
      {"no file", std::nullopt, false, {}, {}},
      {"version byte only", Bytes{0x01}, false, {}, {}},
      {"empty file", Bytes{}, false, {}, {WND_WRONG_VERSION}},
      {"foreign version", Bytes{0x07, 'a', 'b'}, false, {}, {WND_WRONG_VERSION}},
      {"two entries and a partial one", WndFile({"*Notepad", "メモ帳*"}, 519), false, {"*Notepad", "メモ帳*"}, {}},
      {"a 259-byte pattern", WndFile({long259}), false, {long259}, {}},
      {"read-only", WndFile({"x"}), true, {}, {WND_CANNOT_OPEN}},
  };
  for (const Case& c : cases) {
    fake.files.files.clear();
    fake.files.readOnly.clear();
    fake.notifier.shown.clear();
    if (c.content) fake.files.files[fake.paths.wndFile] = *c.content;
    if (c.readOnly) fake.files.readOnly.push_back(fake.paths.wndFile);

    std::vector<ExceptWndEntry> entries(3);  // replaced, not appended to
    store.LoadExceptWnd(entries);
    std::vector<std::string> titles;
    for (const ExceptWndEntry& e : entries) titles.emplace_back(TextOfField(e.title));
    EXPECT_EQ(titles, c.expectedTitles) << c.name;
    EXPECT_EQ(fake.notifier.shown, c.expectedMessages) << c.name;
    if (!c.content) {
      EXPECT_EQ(fake.files.files[fake.paths.wndFile], Bytes{0x01}) << c.name;
    }
  }
}

TEST_F(DataFilesTest, EveryFailingExceptionListLoadShowsItsMessageAgain) {
  fake.files.folderWritable = false;
  std::vector<ExceptWndEntry> entries;
  store.LoadExceptWnd(entries);
  store.LoadExceptWnd(entries);
  EXPECT_EQ(fake.notifier.shown, (std::vector<std::string>{WND_CANNOT_CREATE, WND_CANNOT_CREATE}));
}

TEST_F(DataFilesTest, SavingTheExceptionListWritesEntriesInOrder) {
  const std::string long259(259, 'w');
  store.SaveExceptWnd({});
  EXPECT_EQ(fake.files.files[fake.paths.wndFile], Bytes{0x01});

  store.SaveExceptWnd({Pattern("b*"), Pattern("a?c"), Pattern(long259)});
  const Bytes& file = fake.files.files[fake.paths.wndFile];
  EXPECT_EQ(file, WndFile({"b*", "a?c", long259}));
  EXPECT_EQ(file[1 + 2 * 520 + 259], 0);  // the 259-byte pattern keeps its NUL
  for (std::size_t i = 260; i < 520; ++i) ASSERT_EQ(file[1 + 2 * 520 + i], 0);
}

TEST_F(DataFilesTest, ASaveThatCannotHappenKeepsTheOldList) {
  fake.files.files[fake.paths.wndFile] = WndFile({"keep me"});
  fake.files.readOnly.push_back(fake.paths.wndFile);
  store.SaveExceptWnd({Pattern("new")});
  EXPECT_EQ(fake.files.files[fake.paths.wndFile], WndFile({"keep me"}));
  EXPECT_TRUE(fake.notifier.shown.empty());
}

// A file that exists but was not loaded is someone's data: the first
// rewrite moves it aside (one copy, .old) instead of writing over it, and
// waits while it cannot be moved.
TEST_F(DataFilesTest, AnUnreadLogIsKeptAsideBeforeTheFirstRewrite) {
  const DataPath kept = KeptAsidePath(fake.paths.logFile);
  struct Case {
    const char* name;
    Bytes content;
    bool heldElsewhere;
    bool readOnly;
    std::string message;
    bool keptAside;  // after the first append
  };
  const Case cases[] = {
      {"our own log", LogFile(3), false, false, "", false},
      {"another version", LogFile(3, 0, 0x02), false, false, LOG_WRONG_VERSION, true},
      {"damaged first byte", LogFile(2, 0, 0xFF), false, false, LOG_WRONG_VERSION, true},
      {"held by another program", LogFile(800), true, false, LOG_CANNOT_OPEN, false},
      {"read-only: stays as it is", LogFile(2), false, true, LOG_CANNOT_OPEN, false},
  };
  for (const Case& c : cases) {
    fake.files.files = {{fake.paths.logFile, c.content}, {kept, Bytes{0x01, 0x02}}};  // .old of an earlier time
    fake.files.heldElsewhere.clear();
    fake.files.readOnly.clear();
    fake.notifier.shown.clear();
    if (c.heldElsewhere) fake.files.heldElsewhere.push_back(fake.paths.logFile);
    if (c.readOnly) fake.files.readOnly.push_back(fake.paths.logFile);
    store.LoadLog();
    EXPECT_EQ(fake.notifier.shown, c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message})
        << c.name;

    store.AppendLog(Record(100));
    const bool written = LogBytes() != c.content;
    EXPECT_EQ(fake.files.files[kept], c.keptAside ? c.content : Bytes({0x01, 0x02})) << c.name;
    EXPECT_EQ(written, !c.heldElsewhere && !c.readOnly) << c.name;
    EXPECT_EQ(fake.files.files.count(fake.paths.logFile.native() + DataPath(".new").native()), 0u) << c.name;
  }
}

TEST_F(DataFilesTest, AHeldLogIsKeptAsideOnceItIsReleasedAndNothingIsLost) {
  fake.files.files[fake.paths.logFile] = LogFile(800);
  fake.files.heldElsewhere.push_back(fake.paths.logFile);
  store.LoadLog();
  store.AppendLog(Record(1));
  store.AppendLog(Record(2));
  EXPECT_EQ(LogBytes(), LogFile(800));  // still held: not a byte written
  EXPECT_EQ(Loaded().size(), 2u);

  fake.files.heldElsewhere.clear();
  store.AppendLog(Record(3));
  EXPECT_EQ(fake.files.files[KeptAsidePath(fake.paths.logFile)], LogFile(800));
  EXPECT_EQ(LogBytes().size(), 1u + 3u * 276u);
  store.AppendLog(Record(4));  // moved once: from now on the file is ours
  EXPECT_EQ(fake.files.files[KeptAsidePath(fake.paths.logFile)], LogFile(800));
  EXPECT_EQ(LogBytes().size(), 1u + 4u * 276u);
}

TEST_F(DataFilesTest, ARewriteNeverFailsWhereTheInPlaceRewriteWouldWork) {
  const DataPath temporary(fake.paths.logFile.native() + DataPath(".new").native());
  struct Case {
    const char* name;
    bool folderWritable;
    bool staleReadOnlyTemporary;
  };
  for (const Case c : {Case{"no new file can be made in the folder", false, false},
                       Case{"a crash left a read-only temporary", true, true}}) {
    fake.files.files = {{fake.paths.logFile, LogFile(2)}};
    fake.files.folderWritable = c.folderWritable;
    fake.files.readOnly.clear();
    if (c.staleReadOnlyTemporary) {
      fake.files.files[temporary] = Bytes(9, 0x7E);
      fake.files.readOnly.push_back(temporary);
    }
    store.LoadLog();
    store.AppendLog(Record(5));
    EXPECT_EQ(LogBytes().size(), 1u + 3u * 276u) << c.name;
    EXPECT_EQ(fake.files.Paths(), std::vector<DataPath>{fake.paths.logFile}) << c.name;
  }
}

TEST_F(DataFilesTest, AnExceptionListThatFailedToLoadIsKeptAsideWhenTheDialogSaves) {
  const DataPath kept = KeptAsidePath(fake.paths.wndFile);
  const Bytes tooLarge = WndFile(std::vector<std::string>(EXCEPT_WND_ENTRY_LIMIT + 1, "x"));
  struct Case {
    const char* name;
    Bytes content;
    bool heldAtLoad;
    std::string message;
  };
  const Case cases[] = {
      {"held by another program while loading", WndFile({"*ゲーム*", "*動画*"}), true, WND_CANNOT_OPEN},
      {"another version", Bytes{0x02, 'x'}, false, WND_WRONG_VERSION},
      {"larger than any list of ours", tooLarge, false, WND_WRONG_VERSION},
  };
  for (const Case& c : cases) {
    fake.files.files = {{fake.paths.wndFile, c.content}};
    fake.files.heldElsewhere.clear();
    fake.notifier.shown.clear();
    if (c.heldAtLoad) fake.files.heldElsewhere.push_back(fake.paths.wndFile);
    std::vector<ExceptWndEntry> entries;
    EXPECT_FALSE(store.LoadExceptWnd(entries)) << c.name;
    EXPECT_TRUE(entries.empty()) << c.name;
    EXPECT_EQ(fake.notifier.shown, std::vector<std::string>{c.message}) << c.name;

    fake.files.heldElsewhere.clear();  // released by the time the user presses 登録
    store.SaveExceptWnd({Pattern("new")});
    EXPECT_EQ(fake.files.files[kept], c.content) << c.name;
    EXPECT_EQ(fake.files.files[fake.paths.wndFile], WndFile({"new"})) << c.name;
  }
}

TEST(DataLocationTest, TheFilesLiveBesideTheProgramWhenItsFolderCanBeWritten) {
  class Folders : public DataFolders {
   public:
    std::optional<DataPath> program;
    bool programWritable = true;
    bool perUserCanBeMade = true;
    std::vector<std::string> besideProgram;  // readable files there
    std::vector<std::string> copied;
    std::optional<DataPath> ProgramFolder() override { return program; }
    std::optional<DataPath> PerUserFolder() override { return DataPath("C:\\Users\\ユーザー\\AppData\\Local\\Sopora\\"); }
    bool CanCreateFilesIn(const DataPath&) override { return programWritable; }
    bool CreateFolder(const DataPath&) override { return perUserCanBeMade; }
    bool CopyIfAbsent(const DataPath& from, const DataPath&) override {
      for (const std::string& name : besideProgram) {
        if (!from.string().ends_with("\\" + name)) continue;
        copied.push_back(name);
        return true;
      }
      return false;
    }
  };
  const std::string perUser = "C:\\Users\\ユーザー\\AppData\\Local\\Sopora\\";
  struct Case {
    const char* name;
    std::optional<DataPath> program;
    bool writable;
    bool perUserCanBeMade;
    std::string dataFolder;
    std::string helpFolder;
    std::vector<std::string> copied;
  };
  const Case cases[] = {
      {"a folder of one's own", DataPath("C:\\Tools\\Sopora\\"), true, true, "C:\\Tools\\Sopora\\",
       "C:\\Tools\\Sopora\\", {}},
      // trail bytes 0x5C must not split the name
      {"Shift JIS folder name", DataPath("D:\\ツール\\表示\\"), true, true, "D:\\ツール\\表示\\", "D:\\ツール\\表示\\", {}},
      {"under Program Files", DataPath("C:\\Program Files\\Sopora\\"), false, true, perUser,
       "C:\\Program Files\\Sopora\\", {"Sopora.ini", "SoporaWnd.dat"}},
      {"no per-user folder either", DataPath("C:\\Program Files\\Sopora\\"), false, false,
       "C:\\Program Files\\Sopora\\", "C:\\Program Files\\Sopora\\", {}},
      {"unknown program folder: the current one", std::nullopt, false, true, "", "", {}},
  };
  for (const Case& c : cases) {
    Folders folders;
    folders.program = c.program;
    folders.programWritable = c.writable;
    folders.perUserCanBeMade = c.perUserCanBeMade;
    folders.besideProgram = {"Sopora.ini", "SoporaWnd.dat"};
    const DataFilePaths paths = LocateDataFiles(folders);
    EXPECT_EQ(paths.iniFile.string(), c.dataFolder + "Sopora.ini") << c.name;
    EXPECT_EQ(paths.logFile.string(), c.dataFolder + "Sopora.dat") << c.name;
    EXPECT_EQ(paths.wndFile.string(), c.dataFolder + "SoporaWnd.dat") << c.name;
    EXPECT_EQ(paths.helpFile.string(), c.helpFolder + "Help\\index.htm") << c.name;
    EXPECT_EQ(folders.copied, c.copied) << c.name;
  }
}

}  // namespace
}  // namespace sopora
