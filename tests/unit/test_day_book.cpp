// SoporaDays.csv: its exact bytes, the files that are not a day book, and
// the counting that fills it.
#include <gtest/gtest.h>

#include "data/day_book.h"
#include "data/day_book_file.h"
#include "monitor/day_counter.h"
#include "support/fake_data_services.h"

namespace sopora {
namespace {

const std::string HEADER =
    "Date,Paused,Monitored,Standby,Hibernation,Off,OtherSleep,HeldByLoad,"
    "HeldByInput,HeldByExceptionWindow,"
    "HeldByOtherSession,HeldByProgramRequest,HeldBySound\r\n";

TEST(DayBookFileTest, IsUtf8WithBomHeaderAndOneCrlfRowPerDay) {
  DayRow row{{2026, 12, 9}};
  row[DayColumn::Monitored] = 600;
  row[DayColumn::Standby] = 480;
  row[DayColumn::HeldBySound] = 7;
  const std::string bytes = FormatDayBook({DayRow{{2026, 2, 28}}, row});
  EXPECT_EQ(bytes, "\xEF\xBB\xBF" + HEADER +
                       "2026-02-28,0,0,0,0,0,0,0,0,0,0,0,0\r\n" +
                       "2026-12-09,0,600,480,0,0,0,0,0,0,0,0,7\r\n");
  EXPECT_EQ(ParseDayBook(bytes), (DayBook{DayRow{{2026, 2, 28}}, row}));
}

TEST(DayBookFileTest, KeepsTheLast400Days) {
  DayBook book;
  for (int i = 0; i < 401; ++i)
    book.push_back(DayRow{{2000 + i / 336, 1 + i / 28 % 12, 1 + i % 28}});
  const DayBook read = ParseDayBook(FormatDayBook(book)).value();
  ASSERT_EQ(read.size(), 400u);
  EXPECT_EQ(read.front(), book[1]);
}

TEST(DayBookFileTest, RefusesWhatItDidNotWrite) {
  const std::string row = "2026-12-09,1,2,3,4,5,6,7,8,9,10,11,12\r\n";
  std::string spreadsheetSave = HEADER + row; // LF line ends, no BOM
  std::erase(spreadsheetSave, '\r');
  EXPECT_TRUE(ParseDayBook(spreadsheetSave));
  for (const std::string& bytes :
       {std::string(), "Date,Paused\r\n" + row, HEADER + row + row,
        HEADER + "2026-12-10,1,2\r\n",
        HEADER + "2026-02-29,0,0,0,0,0,0,0,0,0,0,0,0\r\n",
        HEADER + "2026-12-09,-1,0,0,0,0,0,0,0,0,0,0,0\r\n",
        HEADER + "2026-12-09, 1,0,0,0,0,0,0,0,0,0,0,0\r\n",
        HEADER + "2026-12-09,1,2,3,4,5,6,7,8,9,10,11,12",
        HEADER + "2026-12-10,0,0,0,0,0,0,0,0,0,0,0,0\r\n" + row}) {
    EXPECT_FALSE(ParseDayBook(bytes)) << bytes;
  }
}

TEST(DayBookFileTest, KeepsAForeignFileAsideAndTellsTheUser) {
  FakeDataServices fake;
  const DataPath file = fake.paths.dayBookFile;
  DayBookFile days(fake.files, fake.notifier, fake.clock, fake.log, file, true);
  const Bytes foreign = {'a', ';', 'b', '\n'};
  fake.files.files[file] = foreign;
  EXPECT_TRUE(days.Read().empty());
  EXPECT_TRUE(days.Update([](DayBook& book) { RowOf(book, {2026, 12, 9}); }));
  EXPECT_EQ(fake.files.files[KeptAsidePath(file, 1, fake.clock.now)], foreign);
  EXPECT_EQ(days.Read(), (DayBook{DayRow{{2026, 12, 9}}}));
  EXPECT_EQ(fake.log.lines, (std::vector<std::pair<std::int32_t, MessageId>>{
                                {LOG_WARNING, IDS_LOG_DAY_BOOK_KEPT_ASIDE}}));
}

// The local time `seconds` after 2026-12-09 00:00 (within December).
SystemTime December(std::int64_t seconds) {
  const std::int64_t day = seconds >= 0 ? seconds / 86400 : -1;
  const std::int64_t rest = seconds - day * 86400;
  return {2026, 12, 0, static_cast<std::uint16_t>(9 + day),
          static_cast<std::uint16_t>(rest / 3600),
          static_cast<std::uint16_t>(rest / 60 % 60),
          static_cast<std::uint16_t>(rest % 60), 0};
}

struct FakeMonotonic : MonotonicClock {
  std::uint64_t ms = 3'600'000; // booted an hour before the first step
  std::uint64_t Milliseconds() override { return ms; }
};

struct MemoryDayBook : DayBookStore {
  DayBook book;
  int writes = 0;
  DayBook Read() override { return book; }
  bool Update(const std::function<void(DayBook &)>& merge) override { return merge(book), ++writes; }
};

struct Step {
  enum Kind { Tick, Sleeps, Hibernates, Refused, Suspend, Resume, SetClock, Save, CountOff } kind;
  std::int64_t seconds = 0; // both clocks move on first; SetClock moves the local time only
  MessageId status = IDS_STATUS_MONITORING;
};

DayRow Row(int day, std::vector<std::pair<DayColumn, std::uint32_t>> counts) {
  DayRow row{{2026, 12, day}};
  for (const auto &[column, minutes] : counts)
    row[column] = minutes;
  return row;
}

TEST(DayCounterTest, CountsEachStretchOnceOnTheDayItHappened) {
  using enum Step::Kind;
  using enum DayColumn;
  const std::int64_t H = 3600;
  struct Case {
    const char *name;
    std::int64_t start; // seconds after 2026-12-09 00:00
    std::vector<Step> steps;
    DayBook expected;
    bool countsAwake = true;
  };
  const Case cases[] = {
      {"busy and idle",
       10 * H,
       {{Tick, 60, IDS_STATUS_CPU_BUSY}, {Tick, 60, IDS_STATUS_DISK_BUSY},
        {Tick, 60}, {Tick, 60, IDS_STATUS_NETWORK_BUSY}, {Tick, 60}},
       {Row(9, {{Monitored, 5}, {HeldByLoad, 3}})}},
      {"held by each reason",
       10 * H,
       {{Tick, 60, IDS_STATUS_INPUT}, {Tick, 60, IDS_STATUS_EXCEPTION_WINDOW},
        {Tick, 60, IDS_STATUS_OTHER_SESSION}, {Tick, 60, IDS_STATUS_DISPLAY_REQUEST},
        {Tick, 60, IDS_STATUS_SYSTEM_REQUEST}, {Tick, 60, IDS_STATUS_SOUND_PLAYING}},
       {Row(9, {{Monitored, 6}, {HeldByInput, 1}, {HeldByExceptionWindow, 1},
                {HeldByOtherSession, 1}, {HeldByProgramRequest, 2}, {HeldBySound, 1}})}},
      {"paused", 10 * H,
       {{Tick, 60, IDS_STATUS_PAUSED}, {Tick, 60, IDS_STATUS_PAUSED}, {Tick, 60}},
       {Row(9, {{Paused, 2}, {Monitored, 1}})}},
      {"Sopora's standby across midnight",
       23 * H,
       {{Tick, 60}, {Sleeps}, {Suspend}, {Resume, 2 * H}, {Tick, 60}},
       {Row(9, {{Monitored, 1}, {Standby, 59}}), Row(10, {{Monitored, 1}, {Standby, 61}})}},
      {"hibernation whose resume went unseen", 10 * H,
       {{Hibernates}, {Tick, 600}}, {Row(9, {{Hibernation, 10}})}},
      {"a refused standby stays awake", 10 * H,
       {{Sleeps}, {Refused}, {Tick, 60}}, {Row(9, {{Monitored, 1}})}},
      {"the user's standby", 10 * H,
       {{Tick, 60}, {Suspend}, {Resume, 30 * 60}}, {Row(9, {{Monitored, 1}, {OtherSleep, 30}})}},
      {"clock set back over midnight",
       24 * H + 600, // 12-10 00:10, set back to 12-09 23:50
       {{SetClock, -1200}, {Tick, 1200}, {SetClock, -3600}, {Tick, 60}},
       {Row(9, {{Monitored, 11}}), Row(10, {{Monitored, 10}})}},
      {"minutes carried across writes", 10 * H,
       {{Tick, 40}, {Save}, {Tick, 40}, {Save}, {Tick, 40}},
       {Row(9, {{Monitored, 2}})}},
      {"switched off by Sopora until the boot an hour ago",
       1 * H,
       {{CountOff, -2 * H}}, // shut down 12-08 22:00, booted 12-09 00:00
       {Row(8, {{Off, 120}}), Row(9, {})}},
      {"another instance's session is in use", 10 * H,
       {{Tick, 60}, {Suspend}, {Resume, 600}, {Tick, 60, IDS_STATUS_INPUT}},
       {Row(9, {})}, false},
  };
  for (const Case& c : cases) {
    FakeClock clock;
    FakeMonotonic monotonic;
    MemoryDayBook store;
    std::int64_t local = c.start;
    clock.now = December(local);
    DayCounter counter(clock, monotonic, store, [&] { return c.countsAwake; });
    for (const Step& step : c.steps) {
      const std::int64_t moved = step.kind == SetClock || step.kind == CountOff ? 0 : step.seconds;
      monotonic.ms += static_cast<std::uint64_t>(moved) * 1000;
      local += step.kind == SetClock ? step.seconds : moved;
      clock.now = December(local);
      switch (step.kind) {
      case Tick: counter.OnTick(step.status); break;
      case Sleeps: counter.SoporaSleeps(PowerMethod::Standby); break;
      case Hibernates: counter.SoporaSleeps(PowerMethod::Hibernate); break;
      case Refused: counter.SoporaSleepRefused(); break;
      case Suspend: counter.OnSuspend(); break;
      case Resume: counter.OnResume(); break;
      case Save: counter.Save(); break;
      case CountOff: counter.CountOff(December(step.seconds)); break;
      case SetClock: break;
      }
    }
    EXPECT_EQ(counter.CurrentDayBook(), c.expected) << c.name;
    counter.Save();
    EXPECT_EQ(store.book, c.expected) << c.name;
  }
}

TEST(DayCounterTest, WritesOnceAnHourFromTheTick) {
  FakeClock clock;
  FakeMonotonic monotonic;
  MemoryDayBook store;
  DayCounter counter(clock, monotonic, store, [] { return true; });
  for (int minute = 1; minute <= 119; ++minute) {
    monotonic.ms += 60'000;
    counter.OnTick(IDS_STATUS_MONITORING);
  }
  EXPECT_EQ(store.writes, 1);
  EXPECT_EQ(store.book.at(0)[DayColumn::Monitored], 60u);
}

TEST(DayCounterTest, SoporasShutdownIsTheLastRunsLastLine) {
  const std::string attempt = "シャットダウンを試みます";
  auto line = [](std::int32_t kind, const std::string& text, std::uint16_t hour) {
    return MakeLogRecord(kind, text, SystemTime{2026, 12, 0, 8, hour, 0, 0, 0});
  };
  EXPECT_EQ(SoporaShutdownBefore({line(LOG_WARNING, attempt, 22), line(LOG_WINDOWS_ENDING, "x", 23)}, attempt)
                .value().wHour, 22);
  EXPECT_FALSE(SoporaShutdownBefore({line(LOG_WARNING, attempt, 22), line(LOG_WARNING, "abandoned", 23)}, attempt));
  EXPECT_FALSE(SoporaShutdownBefore({line(LOG_WINDOWS_ENDING, "x", 23)}, attempt));
}

} // namespace
} // namespace sopora
