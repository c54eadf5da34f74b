#include "data/day_book.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace sopora {

namespace {

constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

template <typename Number>
bool ParseDigits(std::string_view text, Number& value) {
  if (text.empty() || !std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; })) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  for (std::size_t start = 0;;) {
    const std::size_t comma = line.find(',', start);
    fields.push_back(line.substr(start, comma - start));
    if (comma == std::string_view::npos) return fields;
    start = comma + 1;
  }
}

std::string HeaderLine() {
  std::string header = "Date";
  for (std::string_view name : DAY_COLUMN_NAMES) (header += ',') += name;
  return header;
}

std::optional<DayRow> ParseRow(std::string_view line) {
  const std::vector<std::string_view> fields = SplitFields(line);
  if (fields.size() != DAY_COLUMN_COUNT + 1) return std::nullopt;
  DayRow row;
  const std::optional<CalendarDate> date = ParseCalendarDate(fields[0]);
  if (!date) return std::nullopt;
  row.date = *date;
  for (std::size_t i = 0; i < DAY_COLUMN_COUNT; ++i) {
    if (!ParseDigits(fields[i + 1], row.minutes[i]) || row.minutes[i] > DAY_MINUTES_LIMIT) return std::nullopt;
  }
  return row;
}

}  // namespace

int DaysInMonth(int year, int month) {
  constexpr int DAYS[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : DAYS[month - 1];
}

std::optional<CalendarDate> ParseCalendarDate(std::string_view text) {
  CalendarDate date;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !ParseDigits(text.substr(0, 4), date.year) ||
      !ParseDigits(text.substr(5, 2), date.month) || !ParseDigits(text.substr(8, 2), date.day)) {
    return std::nullopt;
  }
  if (date.year < 1601 || date.month < 1 || date.month > 12 || date.day < 1 ||
      date.day > DaysInMonth(date.year, date.month)) {
    return std::nullopt;
  }
  return date;
}

std::string FormatCalendarDate(const CalendarDate& date) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
  return text;
}

DayRow& RowOf(DayBook& book, const CalendarDate& date) {
  const auto at = std::ranges::lower_bound(book, date, {}, &DayRow::date);
  if (at != book.end() && at->date == date) return *at;
  return *book.insert(at, DayRow{date});
}

std::string FormatDayBook(const DayBook& book) {
  std::string bytes(UTF8_BOM);
  bytes += HeaderLine() + "\r\n";
  const std::size_t first = book.size() > DAY_BOOK_MAX_DAYS ? book.size() - DAY_BOOK_MAX_DAYS : 0;
  for (std::size_t i = first; i < book.size(); ++i) {
    bytes += FormatCalendarDate(book[i].date);
    for (std::uint32_t minutes : book[i].minutes) (bytes += ',') += std::to_string(minutes);
    bytes += "\r\n";
  }
  return bytes;
}

std::optional<DayBook> ParseDayBook(std::string_view bytes) {
  if (bytes.starts_with(UTF8_BOM)) bytes.remove_prefix(UTF8_BOM.size());
  DayBook book;
  bool headerSeen = false;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos) return std::nullopt;  // cut off inside its last line
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!headerSeen) {
      if (line != HeaderLine()) return std::nullopt;
      headerSeen = true;
      continue;
    }
    const std::optional<DayRow> row = ParseRow(line);
    if (!row || (!book.empty() && row->date <= book.back().date)) return std::nullopt;
    book.push_back(*row);
  }
  if (!headerSeen) return std::nullopt;
  return book;
}

}  // namespace sopora
