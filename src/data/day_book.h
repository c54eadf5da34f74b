// SoporaDays.csv: how the machine spent each calendar day, in minutes, so
// the history window and a spreadsheet read the same figures.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sopora {

// The columns after the date, in the file's order. Asleep minutes run from
// Sopora's own power action to the resume; OtherSleep is sleep Sopora did
// not start (the user's own standby, a closed lid) and is not its saving.
// The Held columns split the monitored awake minutes by the one reason the
// status line gave at each tick.
enum class DayColumn : std::size_t {
  Paused,
  Monitored,
  Standby,
  Hibernation,
  Off,
  OtherSleep,
  HeldByLoad,
  HeldByInput,
  HeldByExceptionWindow,
  HeldByOtherSession,
  HeldByProgramRequest,
  HeldBySound,
  Count
};
inline constexpr std::size_t DAY_COLUMN_COUNT = static_cast<std::size_t>(DayColumn::Count);

// English whatever the UI language: the header is for spreadsheets and
// scripts, which should not depend on who wrote the file.
inline constexpr std::array<std::string_view, DAY_COLUMN_COUNT> DAY_COLUMN_NAMES = {
    "Paused", "Monitored", "Standby", "Hibernation", "Off", "OtherSleep", "HeldByLoad", "HeldByInput",
    "HeldByExceptionWindow", "HeldByOtherSession", "HeldByProgramRequest", "HeldBySound"};

// A local calendar day.
struct CalendarDate {
  int year = 0;
  int month = 0;
  int day = 0;
  auto operator<=>(const CalendarDate&) const = default;
};

struct DayRow {
  CalendarDate date;
  std::array<std::uint32_t, DAY_COLUMN_COUNT> minutes{};
  std::uint32_t& operator[](DayColumn column) { return minutes[static_cast<std::size_t>(column)]; }
  std::uint32_t operator[](DayColumn column) const { return minutes[static_cast<std::size_t>(column)]; }
  bool operator==(const DayRow&) const = default;
};

// Rows in ascending date order, one per date.
using DayBook = std::vector<DayRow>;

// The file keeps this many days; older rows go when it is written.
inline constexpr std::size_t DAY_BOOK_MAX_DAYS = 400;

// More than any day can hold (a day with the clock set back an hour is 1500
// minutes), small enough that sums over a year never overflow.
inline constexpr std::uint32_t DAY_MINUTES_LIMIT = 100000;

// The row of `date`, added in date order when the book has none yet.
DayRow& RowOf(DayBook& book, const CalendarDate& date);

// Days of a month (1-12) of the Gregorian calendar.
int DaysInMonth(int year, int month);

// "YYYY-MM-DD"; nothing unless it is a real date of years 1601-9999.
std::optional<CalendarDate> ParseCalendarDate(std::string_view text);
std::string FormatCalendarDate(const CalendarDate& date);

// The whole file: UTF-8 BOM, header, one CRLF-ended row per day, the last
// DAY_BOOK_MAX_DAYS days only.
std::string FormatDayBook(const DayBook& book);

// Nothing when the bytes are not a day book this program wrote: another
// header, a row that is not a date and DAY_COLUMN_COUNT counts, dates out of
// order or repeated. Such a file is put aside, never rewritten. A missing
// BOM and LF line ends are accepted, as a spreadsheet may save them so.
std::optional<DayBook> ParseDayBook(std::string_view bytes);

}  // namespace sopora
