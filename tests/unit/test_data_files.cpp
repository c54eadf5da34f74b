// The operation log file and the exception-window list file: exact layouts,
// load messages, the record limit and the crash-safe rewrite.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>

#include "data/data_store.h"
#include "data/event_log.h"
#include "data/operation_log.h"
#include "support/fake_data_services.h"
#include "support/rc_catalog.h"
#include "text/text_field.h"

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
  CDataStore store{fake.files, fake.notifier, fake.clock, fake.paths};

  std::vector<LogRecord> Loaded() {
    std::vector<LogRecord> records;
    store.GetLogRecords(records);
    return records;
  }
  Bytes& LogBytes() { return fake.files.files[fake.paths.logFile]; }
  std::vector<DataPath> KeptAside(const DataPath& file) {
    std::vector<DataPath> kept = fake.files.FilesMatching(file.native() + DataPath(".*.old").native());
    std::sort(kept.begin(), kept.end());
    return kept;
  }
  std::vector<std::string> LoadedTexts() {
    std::vector<std::string> texts;
    for (const LogRecord& r : Loaded()) texts.emplace_back(TextOfField(r.text));
    return texts;
  }
};

Bytes LogOf(std::initializer_list<int> numbers) {
  Bytes bytes{DATA_FILE_VERSION};
  for (int n : numbers) {
    const LogRecord r = Record(n);
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&r);
    bytes.insert(bytes.end(), raw, raw + sizeof r);
  }
  return bytes;
}

Bytes Concat(Bytes head, const Bytes& tail) {
  head.insert(head.end(), tail.begin() + 1, tail.end());  // the tail's records, without its version byte
  return head;
}

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
    fake.files.files = {{fake.paths.logFile, c.content}};
    store.LoadLog();
    EXPECT_EQ(fake.notifier.shown, std::vector<std::string>{LOG_WRONG_VERSION}) << c.name;
    EXPECT_TRUE(Loaded().empty()) << c.name;
    // The next append writes our format with what is in memory, and the
    // file it could not read is kept beside it, unless it held nothing.
    store.AppendLog(Record(1));
    EXPECT_EQ(LogBytes().size(), 277u) << c.name;
    EXPECT_EQ(LogBytes()[0], 0x01) << c.name;
    const std::vector<DataPath> kept = KeptAside(fake.paths.logFile);
    ASSERT_EQ(kept.size(), c.content.empty() ? 0u : 1u) << c.name;
    EXPECT_EQ(kept.empty() ? c.content : fake.files.files[kept[0]], c.content) << c.name;
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
  EXPECT_TRUE(KeptAside(fake.paths.logFile).empty());  // it was ours: nothing to keep
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

// Whatever fails on the way, the file afterwards holds the old records or
// all of the new ones, and no temporary file is left.
TEST_F(DataFilesTest, ARewriteThatFailsPartWayLeavesTheOldFileOrTheNewOne) {
  struct Case {
    const char* name;
    std::optional<std::size_t> failAfter;
    bool failReplace;
    bool reportsFailure = false;  // the replace is done all the same: its records are not written twice
  };
  const Case cases[] = {
      {"disk full after the version byte", 1, false},
      {"disk full in the middle of a record", 300, false},
      {"disk full at once", 0, false},
      {"replace refused", std::nullopt, true},
      {"replace done but reported failed", std::nullopt, false, true},
  };
  for (const Case& c : cases) {
    fake.files.failWritesAfterBytes.reset();
    fake.files.failReplace = false;
    fake.files.files.clear();
    fake.files.files[fake.paths.logFile] = LogFile(3);
    store.LoadLog();

    fake.files.failWritesAfterBytes = c.failAfter;
    fake.files.failReplace = c.failReplace;
    fake.files.replaceReportsFailure = c.reportsFailure;
    store.AppendLog(Record(100));
    const Bytes newContent = Concat(LogFile(3), LogOf({100}));
    EXPECT_TRUE(LogBytes() == LogFile(3) || LogBytes() == newContent) << c.name;
    EXPECT_EQ(fake.files.Paths(), std::vector<DataPath>{fake.paths.logFile}) << c.name;
    EXPECT_EQ(Loaded().size(), 4u) << c.name;

    fake.files.failWritesAfterBytes.reset();
    fake.files.failReplace = false;
    fake.files.replaceReportsFailure = false;
    store.AppendLog(Record(101));  // the next append writes everything
    EXPECT_EQ(LogBytes(), Concat(newContent, LogOf({101}))) << c.name;
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

// Every line of the operation log is an event too, until the event log
// fails: from then on only the operation log is written, and it says so once.
struct RecordingEventSink : EventSink {
  using Event = std::tuple<EventLevel, MessageId, std::vector<std::string>>;
  std::vector<Event> events;
  std::map<std::size_t, unsigned long> failAt;  // report number -> error code
  unsigned long Report(EventLevel level, MessageId id, const std::vector<std::string>& insertions) override {
    events.emplace_back(level, id, insertions);
    return failAt.contains(events.size()) ? failAt[events.size()] : 0;
  }
};

TEST_F(DataFilesTest, EveryLogLineIsAnEventUntilTheEventLogFails) {
  using enum EventLevel;
  const Message failed(IDS_LOG_ACTION_FAILED, {MessageId{IDS_ACTION_STANDBY}, std::string("5")});
  const std::tuple<std::int32_t, Message, RecordingEventSink::Event> lines[] = {
      {LOG_INFO, IDS_LOG_STARTED, {Information, IDS_LOG_STARTED, {}}},
      {LOG_WINDOWS_ENDING, IDS_LOG_WINDOWS_ENDING, {Information, IDS_LOG_WINDOWS_ENDING, {}}},
      {LOG_RESUMED, IDS_LOG_RESUMED, {Information, IDS_LOG_RESUMED, {}}},
      {LOG_ENTERING_POWER_SAVING, IDS_LOG_ENTERING_POWER_SAVING, {Information, IDS_LOG_ENTERING_POWER_SAVING, {}}},
      {LOG_WARNING, IDS_LOG_PAUSED, {Warning, IDS_LOG_PAUSED, {}}},
      {LOG_ERROR, failed, {Error, IDS_LOG_ACTION_FAILED, {"スタンバイへの移行", "5"}}},
  };
  const std::map<std::size_t, unsigned long> failures[] = {{}, {{3, 1502}}, {{1, 5}}};
  for (const auto& failAt : failures) {
    FakeDataServices files;
    CDataStore logStore{files.files, files.notifier, files.clock, files.paths};
    MonitorSettings settings;
    settings.EventLog = 1;
    RecordingEventSink sink;
    sink.failAt = failAt;
    EventLogWriter writer(sink, settings, false);
    LogBook book(logStore, files.clock, rc::Japanese());
    book.SetEventLog(&writer);
    std::vector<RecordingEventSink::Event> expected;
    for (const auto& [kind, message, event] : lines) {
      book.AddLog(kind, message);
      if (expected.size() < (failAt.empty() ? 6 : failAt.begin()->first)) expected.push_back(event);
    }
    EXPECT_EQ(sink.events, expected) << failAt.size();
    const std::vector<LogRecord> logged = book.Records();
    ASSERT_EQ(logged.size(), failAt.empty() ? 6u : 7u);
    if (failAt.empty()) continue;
    const auto [failedAt, code] = *failAt.begin();
    EXPECT_EQ(TextOfField(logged[failedAt].text),
              rc::InJapanese(Message(IDS_LOG_EVENT_LOG_FAILED, {std::to_string(code)})));
  }
}

// Sopora.ini's EventLog; without it, only a registered source is written.
TEST_F(DataFilesTest, TheEventLogIsOnWhereTheSettingOrTheRegisteredSourceSays) {
  const std::tuple<const char*, bool, bool> cases[] = {
      {nullptr, true, true}, {nullptr, false, false}, {"1", false, true}, {"0", true, false}, {"yes", true, false}};
  for (const auto& [stored, registered, written] : cases) {
    FakeIniStore ini;
    if (stored) ini.texts["EventLog"] = stored;
    const MonitorSettings settings = ReadMonitorSettings(ini);
    RecordingEventSink sink;
    EventLogWriter writer(sink, settings, registered);
    writer.Write(LOG_INFO, IDS_LOG_STARTED, rc::Japanese());
    EXPECT_EQ(sink.events.size(), written ? 1u : 0u) << (stored ? stored : "none") << " " << registered;
  }
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
      {"read-only: read all the same", WndFile({"x"}), true, {"x"}, {}},
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

// The file on disk is the truth: a log that could not be opened at start-up
// (another program held it, or a read broke off) is read once it is free,
// and the lines written meanwhile follow its records. Nothing is moved
// aside; a read-only log stays exactly as it is.
TEST_F(DataFilesTest, ALogThatCouldNotBeReadAtStartUpIsReadWhenFreeAndTheWaitingLinesFollow) {
  struct Case {
    const char* name;
    bool held;
    bool readBreaksOff;
    bool readOnly;
  };
  for (const Case c : {Case{"held by another program", true, false, false},
                       Case{"a read that broke off", false, true, false},
                       Case{"read-only", false, false, true}}) {
    fake.files.files = {{fake.paths.logFile, LogFile(800)}};
    fake.files.heldElsewhere.clear();
    fake.files.readBreaksOff.clear();
    fake.files.readOnly.clear();
    fake.notifier.shown.clear();
    if (c.held) fake.files.heldElsewhere.push_back(fake.paths.logFile);
    if (c.readBreaksOff) fake.files.readBreaksOff.push_back(fake.paths.logFile);
    if (c.readOnly) fake.files.readOnly.push_back(fake.paths.logFile);
    store.LoadLog();
    EXPECT_EQ(fake.notifier.shown, std::vector<std::string>{LOG_CANNOT_OPEN}) << c.name;
    EXPECT_FALSE(store.AppendLog(Record(1001))) << c.name;
    EXPECT_FALSE(store.AppendLog(Record(1002))) << c.name;
    EXPECT_EQ(LogBytes(), LogFile(800)) << c.name;  // not a byte written
    EXPECT_EQ(LoadedTexts(), (std::vector<std::string>{"message 1001", "message 1002"})) << c.name;

    fake.files.heldElsewhere.clear();  // released; a read-only file stays read-only
    fake.files.readBreaksOff.clear();
    const bool othersShown = store.AppendLog(Record(1003));
    const Bytes expected = c.readOnly ? LogFile(800) : Concat(LogFile(800), LogOf({1001, 1002, 1003}));
    EXPECT_EQ(LogBytes(), expected) << c.name;
    EXPECT_EQ(othersShown, !c.readOnly) << c.name;  // the viewer shows the history it could not show before
    EXPECT_EQ(Loaded().size(), c.readOnly ? 3u : 803u) << c.name;
    EXPECT_TRUE(KeptAside(fake.paths.logFile).empty()) << c.name;
    EXPECT_EQ(fake.notifier.shown.size(), 1u) << c.name;
  }
}

// Two Sopora instances writing one folder (two users, one program folder):
// each rewrite starts from what the other wrote, so both sets of lines
// survive, newest 1000 kept.
TEST_F(DataFilesTest, TwoInstancesWritingOneLogKeepEachOthersLines) {
  fake.files.files[fake.paths.logFile] = LogFile(0);
  CDataStore other(fake.files, fake.notifier, fake.clock, fake.paths);
  store.LoadLog();
  fake.files.whileReading = [&] { EXPECT_FALSE(store.AppendLog(Record(1))); };  // while the other reads
  other.LoadLog();
  EXPECT_TRUE(other.AppendLog(Record(2)));  // it finds line 1 there
  EXPECT_TRUE(store.AppendLog(Record(3)));
  EXPECT_FALSE(store.AppendLog(Record(4)));  // nothing new from the other: no need to read again
  EXPECT_EQ(LogBytes(), LogOf({1, 2, 3, 4}));
  EXPECT_EQ(LoadedTexts(), (std::vector<std::string>{"message 1", "message 2", "message 3", "message 4"}));

  for (int i = 0; i < 600; ++i) {
    store.AppendLog(Record(10 + i));
    other.AppendLog(Record(2000 + i));
  }
  const std::vector<LogRecord> records = ParseRecordFile<LogRecord>(LogBytes());
  ASSERT_EQ(records.size(), 1000u);
  EXPECT_EQ(TextOfField(records.front().text), "message 110");  // 1204 lines, the newest 1000
  EXPECT_EQ(TextOfField(records.back().text), "message 2599");
}

// A lock beside the file keeps a second writer out for the whole
// read-merge-write, the temporary file included; while another Sopora holds
// it, nothing is written and the lines wait.
TEST_F(DataFilesTest, EveryLoadAndRewriteHappensUnderTheLock) {
  fake.files.files[fake.paths.logFile] = Bytes{};
  fake.notifier.whileShown = [&] { EXPECT_FALSE(fake.files.lockHeld); };  // a box may wait for hours
  store.LoadLog();
  fake.files.calls.clear();
  store.AppendLog(Record(1));
  EXPECT_EQ(fake.files.calls, (std::vector<std::string>{"lock Sopora.dat.lock", "create Sopora.dat.new",
                                                         "replace Sopora.dat", "unlock Sopora.dat.lock"}));
  fake.files.lockTaken = true;
  store.AppendLog(Record(2));
  EXPECT_EQ(LogBytes(), LogOf({1}));
  fake.files.lockTaken = false;
  store.AppendLog(Record(3));
  EXPECT_EQ(LogBytes(), LogOf({1, 2, 3}));
  fake.files.lockUnusable = true;  // a lock file that cannot be used: only ever added to in place, said once
  fake.files.calls.clear();
  store.AppendLog(Record(4));
  EXPECT_EQ(fake.files.calls[1], "append Sopora.dat");
  EXPECT_TRUE(store.TakeLockWarning() && !store.TakeLockWarning());
}

// Where no temporary file can be made, or the replace is refused (the file
// held without delete sharing), the file is added to in place, but only
// when the new content is the old one with records after it: a crash or a
// full disk then leaves the old records or all of the new ones, never a mix
// and never a shorter file. Anything else waits in memory.
TEST_F(DataFilesTest, TheInPlaceRewriteOnlyAddsAndNeverLeavesAMix) {
  struct Case {
    const char* name;
    Bytes before;
    bool folderWritable;
    bool failReplace;
    std::optional<std::size_t> diskFullAfter;
    bool written;
  };
  const Case cases[] = {
      {"no new file can be made: the records are added", LogFile(2), false, false, std::nullopt, true},
      {"the replace is refused: the records are added", LogFile(2), true, true, std::nullopt, true},
      {"the disk fills up while adding", LogFile(2), false, false, 100, false},
      {"a full log slides: that would overwrite records", LogFile(1000), false, false, std::nullopt, false},
  };
  for (const Case& c : cases) {
    fake.files.files = {{fake.paths.logFile, c.before}};
    fake.files.folderWritable = true;
    fake.files.failReplace = false;
    fake.files.failWritesAfterBytes.reset();
    store.LoadLog();
    fake.files.folderWritable = c.folderWritable;
    fake.files.failReplace = c.failReplace;
    fake.files.failWritesAfterBytes = c.diskFullAfter;
    store.AppendLog(Record(5000));
    std::vector<LogRecord> expected = ParseRecordFile<LogRecord>(c.before);
    expected.push_back(Record(5000));
    if (expected.size() > 1000) expected.erase(expected.begin());
    EXPECT_EQ(LogBytes(), c.written ? SerializeRecordFile<LogRecord>(expected) : c.before) << c.name;
    EXPECT_EQ(fake.files.Paths(), std::vector<DataPath>{fake.paths.logFile}) << c.name;
    EXPECT_EQ(Loaded().size(), expected.size() + (c.before.size() > 1 + 276 * 999 ? 1 : 0)) << c.name;

    fake.files.folderWritable = true;  // the lines that waited go with the next one
    fake.files.failReplace = false;
    fake.files.failWritesAfterBytes.reset();
    store.AppendLog(Record(5001));
    expected.push_back(Record(5001));
    if (expected.size() > 1000) expected.erase(expected.begin());
    EXPECT_EQ(LogBytes(), SerializeRecordFile<LogRecord>(expected)) << c.name;
  }
}

// A crash between the two steps of a replace leaves no log and a complete
// temporary file: it becomes the log. An incomplete one (the crash came
// while it was written, so the log was never deleted) is not trusted.
TEST_F(DataFilesTest, ACompleteTemporaryFileWhereTheLogIsMissingBecomesTheLog) {
  const DataPath temporary(fake.paths.logFile.native() + DataPath(".new").native());
  struct Case {
    const char* name;
    Bytes temporaryContent;
    Bytes logAfterLoad;
  };
  Bytes cutShort = LogFile(3);
  cutShort.resize(cutShort.size() - 100);
  for (const Case& c : {Case{"complete", LogFile(3), LogFile(3)}, Case{"cut short", cutShort, Bytes{0x01}}}) {
    fake.files.files = {{temporary, c.temporaryContent}};
    store.LoadLog();
    EXPECT_EQ(LogBytes(), c.logAfterLoad) << c.name;
    EXPECT_TRUE(fake.notifier.shown.empty()) << c.name;
    store.AppendLog(Record(9));
    EXPECT_EQ(fake.files.Paths(), std::vector<DataPath>{fake.paths.logFile}) << c.name;
  }
  // Held at start-up, or a replace failing half-way: the only copy stays.
  fake.files.files = {{temporary, LogFile(3)}};
  fake.files.heldElsewhere = {temporary};
  store.LoadLog();
  EXPECT_EQ(fake.files.Paths(), std::vector<DataPath>{temporary});
  fake.files.heldElsewhere.clear();
  store.AppendLog(Record(10));
  fake.files.replaceLosesTarget = true;
  store.AppendLog(Record(11));
  EXPECT_EQ(fake.files.Paths(), std::vector<DataPath>{temporary});
  fake.files.replaceLosesTarget = false;
  store.AppendLog(Record(12));
  EXPECT_EQ(LogBytes(), Concat(LogFile(3), LogOf({10, 11, 12})));
}

// A file that is really unreadable (another version, damaged, too large)
// is someone's data: it is kept under a name of its own, never over an
// earlier one. Only the five put aside last are kept, whatever the clock
// says, and one goes only once another has been put aside.
TEST_F(DataFilesTest, UnreadableFilesAreKeptAsideUnderNamesOfTheirOwn) {
  const Bytes foreign = LogFile(3, 0, 0x02);
  for (int start = 1; start <= 8; ++start) {
    fake.files.failMoveAside = start == 8;
    fake.files.files[fake.paths.logFile] = foreign;
    fake.files.files[fake.paths.logFile][1] = static_cast<std::uint8_t>(start);  // tell them apart
    fake.clock.now.wYear = static_cast<std::uint16_t>(2030 - start);  // the clock is set back each time
    store.LoadLog();
    store.AppendLog(Record(start));
  }
  EXPECT_EQ(NameOf(KeptAsidePath(fake.paths.logFile, 12, fake.clock.now)), "Sopora.dat.12-20221203-090715.old");
  std::vector<int> kept;
  for (const DataPath& path : KeptAside(fake.paths.logFile)) kept.push_back(fake.files.files[path][1]);
  EXPECT_EQ(kept, (std::vector<int>{3, 4, 5, 6, 7}));
}

TEST_F(DataFilesTest, AnExceptionListThatFailedToLoadIsKeptAsideWhenTheDialogSaves) {
  const Bytes tooLarge = WndFile(std::vector<std::string>(EXCEPT_WND_ENTRY_LIMIT + 1, "x"));
  struct Case {
    const char* name;
    Bytes content;
  };
  for (const Case& c : {Case{"another version", Bytes{0x02, 'x'}}, Case{"larger than any list of ours", tooLarge}}) {
    fake.files.files = {{fake.paths.wndFile, c.content}};
    fake.notifier.shown.clear();
    std::vector<ExceptWndEntry> entries;
    EXPECT_FALSE(IsRead(store.LoadExceptWnd(entries))) << c.name;
    EXPECT_TRUE(entries.empty()) << c.name;
    EXPECT_EQ(fake.notifier.shown, std::vector<std::string>{WND_WRONG_VERSION}) << c.name;

    EXPECT_EQ(store.SaveExceptWnd({Pattern("new")}), SaveOutcome::Saved) << c.name;
    EXPECT_EQ(fake.files.files[KeptAsidePath(fake.paths.wndFile, 1, fake.clock.now)], c.content) << c.name;
    EXPECT_EQ(fake.files.files[fake.paths.wndFile], WndFile({"new"})) << c.name;
  }
}

// A registration saved while another Sopora saved its own: the dialog's
// store finds records on disk it has not shown and writes nothing unless
// told to. A list it could not read when it opened counts as unseen.
TEST_F(DataFilesTest, SavingTheListOverOneSavedElsewhereNeedsConsent) {
  fake.files.files[fake.paths.wndFile] = WndFile({"*ゲーム*"});
  CDataStore other(fake.files, fake.notifier, fake.clock, fake.paths);
  std::vector<ExceptWndEntry> shown, theirs;
  store.LoadExceptWnd(shown);
  other.LoadExceptWnd(theirs);
  EXPECT_EQ(other.SaveExceptWnd({Pattern("*動画*")}), SaveOutcome::Saved);

  EXPECT_EQ(store.SaveExceptWnd({Pattern("*ゲーム*"), Pattern("メモ帳")}), SaveOutcome::ChangedElsewhere);
  EXPECT_EQ(fake.files.files[fake.paths.wndFile], WndFile({"*動画*"}));
  EXPECT_EQ(store.SaveExceptWnd({Pattern("メモ帳")}, true), SaveOutcome::Saved);
  EXPECT_EQ(store.SaveExceptWnd({Pattern("メモ帳"), Pattern("x")}), SaveOutcome::Saved);  // its own save: no question

  fake.files.heldElsewhere.push_back(fake.paths.wndFile);
  store.LoadExceptWnd(shown);
  EXPECT_EQ(store.SaveExceptWnd({}), SaveOutcome::Failed);  // still held: the dialog keeps its lines
  fake.files.heldElsewhere.clear();
  EXPECT_EQ(store.SaveExceptWnd({}), SaveOutcome::ChangedElsewhere);  // it never showed what is there
}

TEST(DataLocationTest, TheFilesLiveBesideTheProgramWhenItsFolderCanBeWritten) {
  class Folders : public DataFolders {
   public:
    std::optional<DataPath> program;
    bool programWritable = true;
    bool perUserCanBeMade = true;
    bool perUserWritable = true;
    bool shared = false;
    std::vector<std::string> besideProgram;  // readable files there
    std::vector<std::string> copied;
    std::optional<DataPath> ProgramFolder() override { return program; }
    bool ProgramFolderIsShared() override { return shared; }
    std::optional<DataPath> PerUserFolder() override { return DataPath("C:\\Users\\ユーザー\\AppData\\Local\\Sopora\\"); }
    bool CanCreateFilesIn(const DataPath& folder) override {
      return folder == program ? programWritable : perUserWritable;
    }
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
    bool perUserWritable = true;
    bool dataWritable = true;
    bool installedForEveryUser = false;
  };
  const Case cases[] = {
      {"a folder of one's own", DataPath("C:\\Tools\\Sopora\\"), true, true, "C:\\Tools\\Sopora\\",
       "C:\\Tools\\Sopora\\", {}},
      // trail bytes 0x5C must not split the name
      {"Shift JIS folder name", DataPath("D:\\ツール\\表示\\"), true, true, "D:\\ツール\\表示\\", "D:\\ツール\\表示\\", {}},
      {"under Program Files", DataPath("C:\\Program Files\\Sopora\\"), false, true, perUser,
       "C:\\Program Files\\Sopora\\", {"Sopora.ini", "SoporaWnd.dat"}},
      {"no per-user folder either", DataPath("C:\\Program Files\\Sopora\\"), false, false,
       "C:\\Program Files\\Sopora\\", "C:\\Program Files\\Sopora\\", {}, true, false},
      {"a per-user folder that cannot be written", DataPath("C:\\Program Files\\Sopora\\"), false, true,
       "C:\\Program Files\\Sopora\\", "C:\\Program Files\\Sopora\\", {}, false, false},
      {"unknown program folder: the current one", std::nullopt, false, true, "", "", {}},
      // Program Files written with UAC off: still each user's own folder.
      {"installed for every user, a writable folder", DataPath("C:\\Program Files\\Sopora\\"), true, true, perUser,
       "C:\\Program Files\\Sopora\\", {}, true, true, true},
      {"installed for every user, no per-user folder", DataPath("C:\\Program Files\\Sopora\\"), true, false,
       perUser, "C:\\Program Files\\Sopora\\", {}, true, false, true},
  };
  for (const Case& c : cases) {
    Folders folders;
    folders.program = c.program;
    folders.programWritable = c.writable;
    folders.perUserCanBeMade = c.perUserCanBeMade;
    folders.perUserWritable = c.perUserWritable;
    folders.shared = c.installedForEveryUser;
    folders.besideProgram = {"Sopora.ini", "SoporaWnd.dat"};
    const DataFilePaths paths = LocateDataFiles(folders);
    EXPECT_EQ(paths.iniFile.string(), c.dataFolder + "Sopora.ini") << c.name;
    EXPECT_EQ(paths.logFile.string(), c.dataFolder + "Sopora.dat") << c.name;
    EXPECT_EQ(paths.wndFile.string(), c.dataFolder + "SoporaWnd.dat") << c.name;
    EXPECT_EQ(paths.helpFile.string(), c.helpFolder + "Help\\index.htm") << c.name;
    EXPECT_EQ(paths.englishHelpFile.string(), c.helpFolder + "Help\\index-en.htm") << c.name;
    EXPECT_EQ(folders.copied, c.copied) << c.name;
    EXPECT_EQ(paths.writable, c.dataWritable) << c.name;
  }
}

}  // namespace
}  // namespace sopora
