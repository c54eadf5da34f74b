#include "monitor/day_counter.h"

#include <algorithm>
#include <cstring>

namespace sopora {

namespace {
constexpr std::uint64_t MS_PER_MINUTE = 60'000;
constexpr std::int64_t MS_PER_DAY = 86'400'000;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar
// (the standard <chrono> calendar cannot be built with the CP932 narrow
// character set), and back.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146'097 + std::int64_t{dayOfEra} - 719'468;
}

CalendarDate CivilFromDays(std::int64_t days) {
  days += 719'468;
  const std::int64_t era = (days >= 0 ? days : days - 146'096) / 146'097;
  const auto dayOfEra = static_cast<unsigned>(days - era * 146'097);
  const unsigned yearOfEra = (dayOfEra - dayOfEra / 1'460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
  const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
  const unsigned day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  const unsigned month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  const std::int64_t year = std::int64_t{yearOfEra} + era * 400 + (month <= 2);
  return {static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
}

// The local time as milliseconds on a calendar without zones, so a
// duration can be laid back from it day by day.
std::int64_t LocalMs(const SystemTime& time) {
  const std::int64_t seconds = DaysFromCivil(time.wYear, time.wMonth, time.wDay) * 86'400 + time.wHour * 3'600 +
                               time.wMinute * 60 + time.wSecond;
  return seconds * 1'000 + time.wMilliseconds;
}

// The day of the last millisecond before `endLocalMs`, and its midnight.
std::int64_t MidnightBefore(std::int64_t endLocalMs) {
  const std::int64_t last = endLocalMs - 1;
  return (last >= 0 ? last / MS_PER_DAY : (last - MS_PER_DAY + 1) / MS_PER_DAY) * MS_PER_DAY;
}

// The column of the reason the status line gave for holding the count;
// none while the run is counting towards the action.
std::optional<DayColumn> HeldBy(MessageId status) {
  switch (status) {
    case IDS_STATUS_CPU_BUSY:
    case IDS_STATUS_NETWORK_BUSY:
    case IDS_STATUS_DISK_BUSY:
      return DayColumn::HeldByLoad;
    case IDS_STATUS_INPUT:
      return DayColumn::HeldByInput;
    case IDS_STATUS_EXCEPTION_WINDOW:
      return DayColumn::HeldByExceptionWindow;
    case IDS_STATUS_OTHER_SESSION:
      return DayColumn::HeldByOtherSession;
    case IDS_STATUS_DISPLAY_REQUEST:
    case IDS_STATUS_SYSTEM_REQUEST:
      return DayColumn::HeldByProgramRequest;
    case IDS_STATUS_SOUND_PLAYING:
      return DayColumn::HeldBySound;
    default:
      return std::nullopt;
  }
}
}  // namespace

std::optional<SystemTime> SoporaShutdownBefore(const std::vector<LogRecord>& log, std::string_view shutdownLine) {
  for (auto record = log.rbegin(); record != log.rend(); ++record) {
    if (record->kind == LOG_WINDOWS_ENDING) continue;
    const std::string_view text(record->text, strnlen(record->text, sizeof record->text));
    if (text != shutdownLine) return std::nullopt;
    return record->time;
  }
  return std::nullopt;
}

DayCounter::DayCounter(Clock& clock, MonotonicClock& monotonic, DayBookStore& store, std::function<bool()> countsAwake)
    : m_clock(clock),
      m_monotonic(monotonic),
      m_store(store),
      m_countsAwake(std::move(countsAwake)),
      m_countedUntil(monotonic.Milliseconds()),
      m_lastWrite(m_countedUntil) {
  TouchToday(NowLocalMs());
}

// The time since the previous tick is the tick's: it is named by the
// reason this tick found.
void DayCounter::OnTick(const Message& status) {
  const std::uint64_t now = m_monotonic.Milliseconds();
  if (m_asleep) EndSleep(now);  // its resume went unseen
  m_lastStatus = status.id;
  CountAwakeUntilNow();
  if (now - m_lastWrite >= DAY_BOOK_WRITE_PERIOD_MS) Save();
}

void DayCounter::SoporaSleeps(PowerMethod method) {
  CountAwakeUntilNow();
  m_asleep = true;
  m_sleepKind = method == PowerMethod::Hibernate ? DayColumn::Hibernation : DayColumn::Standby;
}

void DayCounter::SoporaSleepRefused() {
  m_asleep = false;  // the time since is awake, and the next tick counts it
  m_sleepKind.reset();
}

void DayCounter::OnSuspend() {
  if (!m_asleep) {
    CountAwakeUntilNow();
    m_asleep = true;
    // Another instance's user is the one who chose to sleep, if any.
    if (m_countsAwake()) m_sleepKind = DayColumn::OtherSleep;
  }
  Save();
}

// A resume without a suspend seen before it still ends a sleep that began
// after the last count: no tick runs while the machine sleeps.
void DayCounter::OnResume() {
  if (!m_asleep && m_countsAwake()) m_sleepKind = DayColumn::OtherSleep;
  EndSleep(m_monotonic.Milliseconds());
}

void DayCounter::CountOff(const SystemTime& shutdownTime) {
  const std::int64_t bootLocal = NowLocalMs() - static_cast<std::int64_t>(m_monotonic.Milliseconds());
  const std::int64_t off = bootLocal - LocalMs(shutdownTime);
  // Set back past the shutdown, the clock says nothing about how long it was.
  if (off > 0) Add(DayColumn::Off, static_cast<std::uint64_t>(off), bootLocal);
}

void DayCounter::Save() {
  if (!m_asleep) CountAwakeUntilNow();
  m_lastWrite = m_monotonic.Milliseconds();  // a file that cannot be written now is tried next hour
  if (!m_store.Update([this](DayBook& book) { MergeInto(book); })) return;
  for (auto& [date, ms] : m_unwritten) {
    for (std::uint64_t& column : ms) column %= MS_PER_MINUTE;
  }
  while (m_unwritten.size() > DAY_BOOK_MAX_DAYS) m_unwritten.erase(m_unwritten.begin());
}

DayBook DayCounter::CurrentDayBook() {
  DayBook book = m_store.Read();
  MergeInto(book);
  return book;
}

void DayCounter::CountAwakeUntilNow() {
  const std::uint64_t now = m_monotonic.Milliseconds();
  const std::int64_t local = NowLocalMs();
  TouchToday(local);
  const std::uint64_t ms = now > m_countedUntil ? now - m_countedUntil : 0;
  m_countedUntil = std::max(now, m_countedUntil);
  if (ms == 0 || !m_countsAwake()) return;
  if (m_lastStatus == IDS_STATUS_PAUSED) {
    Add(DayColumn::Paused, ms, local);
    return;
  }
  Add(DayColumn::Monitored, ms, local);
  if (const std::optional<DayColumn> held = HeldBy(m_lastStatus)) Add(*held, ms, local);
}

void DayCounter::EndSleep(std::uint64_t now) {
  if (m_sleepKind && now > m_countedUntil) Add(*m_sleepKind, now - m_countedUntil, NowLocalMs());
  m_countedUntil = std::max(now, m_countedUntil);
  m_asleep = false;
  m_sleepKind.reset();
}

void DayCounter::Add(DayColumn column, std::uint64_t ms, std::int64_t endLocalMs) {
  const auto index = static_cast<std::size_t>(column);
  for (std::size_t day = 0; ms > 0 && day < DAY_BOOK_MAX_DAYS; ++day) {
    const std::int64_t dayStart = MidnightBefore(endLocalMs);
    const std::uint64_t part = std::min<std::uint64_t>(ms, static_cast<std::uint64_t>(endLocalMs - dayStart));
    m_unwritten[CivilFromDays(dayStart / MS_PER_DAY)][index] += part;
    ms -= part;
    endLocalMs = dayStart;
  }
}

// A day Sopora ran has its row, even when every count is 0.
void DayCounter::TouchToday(std::int64_t localMs) { m_unwritten[CivilFromDays(MidnightBefore(localMs + 1) / MS_PER_DAY)]; }

std::int64_t DayCounter::NowLocalMs() { return LocalMs(m_clock.LocalTime()); }

void DayCounter::MergeInto(DayBook& book) const {
  for (const auto& [date, ms] : m_unwritten) {
    DayRow& row = RowOf(book, date);
    for (std::size_t i = 0; i < DAY_COLUMN_COUNT; ++i) {
      row.minutes[i] = static_cast<std::uint32_t>(
          std::min<std::uint64_t>(row.minutes[i] + ms[i] / MS_PER_MINUTE, DAY_MINUTES_LIMIT));
    }
  }
}

}  // namespace sopora
