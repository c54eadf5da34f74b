// The day book's counting: how long the machine was monitored, paused,
// held awake and for what, and asleep, per local calendar day. Durations
// come from a clock that is never set back, so a changed local time only
// decides which day a stretch belongs to, and no minute counts twice.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "data/clock.h"
#include "data/day_book.h"
#include "data/day_book_file.h"
#include "data/records.h"
#include "monitor/idle_monitor.h"
#include "monitor/power_controller.h"

namespace sopora {

// The book is written at most this often from the tick.
inline constexpr std::uint64_t DAY_BOOK_WRITE_PERIOD_MS = 3'600'000;

// The shutdown Sopora made at the end of the last run, by the operation
// log's lines: the newest one, Windows' ending line aside, is its attempt
// (`shutdownLine`, as the log holds it). Its time; nothing when the run
// ended otherwise.
std::optional<SystemTime> SoporaShutdownBefore(const std::vector<LogRecord>& log, std::string_view shutdownLine);

class DayCounter : public TickObserver, public SleepObserver {
 public:
  // `countsAwake`: whether this instance's session is the one whose awake
  // minutes count, so two instances sharing the book count each minute once.
  DayCounter(Clock& clock, MonotonicClock& monotonic, DayBookStore& store, std::function<bool()> countsAwake);

  void OnTick(const Message& status) override;
  void SoporaSleeps(PowerMethod method) override;
  void SoporaSleepRefused() override;
  // PBT_APMSUSPEND: the book is written before the machine sleeps; a sleep
  // Sopora did not start is the user's (a standby chosen, a lid closed).
  void OnSuspend();
  // PBT_APMRESUMEAUTOMATIC, sent on every resume.
  void OnResume();
  // At start-up: the machine was off from Sopora's shutdown at
  // `shutdownTime` (local) until the system started.
  void CountOff(const SystemTime& shutdownTime);
  // At exit, at suspend and hourly: the whole minutes so far go to the
  // store; what is less than a minute waits for the next write.
  void Save();

  // The store's book with the minutes not written yet, for the history window.
  DayBook CurrentDayBook();

 private:
  using Milliseconds = std::array<std::uint64_t, DAY_COLUMN_COUNT>;

  void CountAwakeUntilNow();
  void EndSleep(std::uint64_t now);
  // `ms` up to the local time `endLocalMs`, split at each midnight.
  void Add(DayColumn column, std::uint64_t ms, std::int64_t endLocalMs);
  void TouchToday(std::int64_t localMs);
  std::int64_t NowLocalMs();
  void MergeInto(DayBook& book) const;

  Clock& m_clock;
  MonotonicClock& m_monotonic;
  DayBookStore& m_store;
  std::function<bool()> m_countsAwake;

  std::uint64_t m_countedUntil;  // monotonic: time before this is counted
  std::uint64_t m_lastWrite;
  MessageId m_lastStatus = IDS_STATUS_MONITORING;
  bool m_asleep = false;                 // a sleep is under way
  std::optional<DayColumn> m_sleepKind;  // its column; none when it is not this instance's to count
  std::map<CalendarDate, Milliseconds> m_unwritten;
};

}  // namespace sopora
