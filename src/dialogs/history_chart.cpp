#include "dialogs/history_chart.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

namespace sopora {

namespace {

// The month before a date's, on its first.
CalendarDate MonthBefore(const CalendarDate& date) {
  return date.month == 1 ? CalendarDate{date.year - 1, 12, 1} : CalendarDate{date.year, date.month - 1, 1};
}

CalendarDate DayBefore(const CalendarDate& date) {
  if (date.day > 1) return {date.year, date.month, date.day - 1};
  const CalendarDate month = MonthBefore(date);
  return {month.year, month.month, DaysInMonth(month.year, month.month)};
}

// The bars' first dates, oldest first.
std::vector<CalendarDate> BarDates(CalendarDate today, HistorySpan span) {
  const bool days = span == HistorySpan::Days;
  std::vector<CalendarDate> dates(days ? HISTORY_DAYS : HISTORY_MONTHS);
  CalendarDate date = days ? today : CalendarDate{today.year, today.month, 1};
  for (auto at = dates.rbegin(); at != dates.rend(); ++at) {
    *at = date;
    date = days ? DayBefore(date) : MonthBefore(date);
  }
  return dates;
}

// The bar a row belongs to: its day, or its month's first.
CalendarDate BarDateOf(const CalendarDate& date, HistorySpan span) {
  return span == HistorySpan::Days ? date : CalendarDate{date.year, date.month, 1};
}

double Hours(std::uint64_t minutes) { return static_cast<double>(minutes) / 60.0; }

std::string OneDecimal(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::uint32_t StackMinutes(const HistoryBar& bar, std::span<const DayColumn> stack) {
  std::uint32_t sum = 0;
  for (DayColumn part : stack) sum += StackedMinutes(bar, part);
  return sum;
}

// Bottom-up boxes of one stack in the column [left, right); each part ends
// where the running sum ends, so rounding leaves no gaps between parts.
void StackBoxes(const HistoryBar& bar, std::span<const DayColumn> stack, int left, int right, int baseline,
                double pixelsPerMinute, std::vector<ChartBox>& boxes) {
  std::uint32_t below = 0;
  for (DayColumn part : stack) {
    const std::uint32_t minutes = StackedMinutes(bar, part);
    if (minutes == 0) continue;
    const int bottom = baseline - static_cast<int>(below * pixelsPerMinute + 0.5);
    below += minutes;
    const int top = baseline - static_cast<int>(below * pixelsPerMinute + 0.5);
    if (top < bottom) boxes.push_back({left, top, right, bottom, part});
  }
}

}  // namespace

std::vector<HistoryBar> HistoryBars(const DayBook& book, CalendarDate today, HistorySpan span) {
  std::vector<HistoryBar> bars;
  for (const CalendarDate& date : BarDates(today, span)) bars.push_back({date, {}});
  for (const DayRow& row : book) {
    if (row.date > today) continue;
    const CalendarDate barDate = BarDateOf(row.date, span);
    const auto bar = std::ranges::find(bars, barDate, &HistoryBar::date);
    if (bar == bars.end()) continue;
    for (std::size_t column = 0; column < DAY_COLUMN_COUNT; ++column) bar->minutes[column] += row.minutes[column];
  }
  return bars;
}

HistoryTotals TotalsOf(std::span<const HistoryBar> bars, int awakeWatts) {
  constexpr struct {
    DayColumn state;
    int drawWatts;
  } SOPORA_SLEEP[] = {{DayColumn::Standby, STANDBY_DRAW_WATTS},
                      {DayColumn::Hibernation, HIBERNATION_DRAW_WATTS},
                      {DayColumn::Off, OFF_DRAW_WATTS}};
  HistoryTotals totals;
  for (const auto& [state, drawWatts] : SOPORA_SLEEP) {
    std::uint64_t minutes = 0;
    for (const HistoryBar& bar : bars) minutes += bar[state];
    totals.hoursAsleep += Hours(minutes);
    totals.kilowattHours += Hours(minutes) * std::max(0, awakeWatts - drawWatts) / 1000.0;
  }
  std::uint64_t other = 0;
  for (const HistoryBar& bar : bars) other += bar[DayColumn::OtherSleep];
  totals.otherSleepHours = Hours(other);
  return totals;
}

std::uint32_t StackedMinutes(const HistoryBar& bar, DayColumn part) {
  if (part != DayColumn::Monitored) return bar[part];
  std::uint32_t held = 0;
  for (DayColumn reason : AWAKE_STACK)
    if (reason != DayColumn::Monitored && reason != DayColumn::Paused) held += bar[reason];
  return bar[DayColumn::Monitored] - std::min(held, bar[DayColumn::Monitored]);
}

PartStyle StyleOf(DayColumn part) {
  constexpr int HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3, HS_CROSS = 4,
                HS_DIAGCROSS = 5;
  switch (part) {
    case DayColumn::Standby: return {Rgb(31, 73, 125), SOLID_PART};
    case DayColumn::Hibernation: return {Rgb(68, 114, 196), HS_BDIAGONAL};
    case DayColumn::Off: return {Rgb(142, 180, 227), HS_CROSS};
    case DayColumn::OtherSleep: return {Rgb(217, 217, 217), EMPTY_PART, true};
    case DayColumn::HeldByLoad: return {Rgb(150, 0, 0), SOLID_PART};
    case DayColumn::HeldByInput: return {Rgb(180, 30, 10), HS_HORIZONTAL};
    case DayColumn::HeldByExceptionWindow: return {Rgb(110, 80, 160), HS_VERTICAL};
    case DayColumn::HeldByOtherSession: return {Rgb(0, 170, 150), HS_FDIAGONAL};
    case DayColumn::HeldByProgramRequest: return {Rgb(230, 125, 20), HS_BDIAGONAL};
    case DayColumn::HeldBySound: return {Rgb(200, 150, 220), HS_CROSS};
    case DayColumn::Monitored: return {Rgb(170, 230, 140), HS_DIAGCROSS};
    default: return {Rgb(250, 245, 200), EMPTY_PART, true};  // paused
  }
}

MessageId PartName(DayColumn part) {
  static_assert(IDS_HISTORY_PAUSED - IDS_HISTORY_STANDBY + 1 == std::size(ASLEEP_STACK) + std::size(AWAKE_STACK));
  const auto asleep = std::ranges::find(ASLEEP_STACK, part);
  const auto place = asleep != std::end(ASLEEP_STACK)
                         ? asleep - std::begin(ASLEEP_STACK)
                         : std::ssize(ASLEEP_STACK) + (std::ranges::find(AWAKE_STACK, part) - std::begin(AWAKE_STACK));
  return IDS_HISTORY_STANDBY + static_cast<MessageId>(place);
}

ChartLayout LayOutChart(std::span<const HistoryBar> bars, HistorySpan span, int width, int height) {
  ChartLayout layout;
  std::uint32_t tallest = 0;
  for (const HistoryBar& bar : bars)
    tallest = std::max({tallest, StackMinutes(bar, ASLEEP_STACK), StackMinutes(bar, AWAKE_STACK)});
  // A day's scale is at least the day's 24 hours, so the days compare by
  // height; months have no such natural top.
  layout.gridHours = span == HistorySpan::Days ? 6 : 120;
  const int tallestHours = static_cast<int>((tallest + 59) / 60);
  const int floorHours = span == HistorySpan::Days ? 24 : layout.gridHours;
  layout.scaleHours = std::max(floorHours, (tallestHours + layout.gridHours - 1) / layout.gridHours * layout.gridHours);
  layout.baseline = height - 1;
  if (bars.empty() || width <= 0 || height <= 1) return layout;

  const double pixelsPerMinute = static_cast<double>(layout.baseline) / (layout.scaleHours * 60.0);
  for (int hours = 0; hours <= layout.scaleHours; hours += layout.gridHours)
    layout.gridLines.push_back(layout.baseline - static_cast<int>(hours * 60 * pixelsPerMinute + 0.5));

  const int count = static_cast<int>(bars.size());
  for (int i = 0; i <= count; ++i) layout.slotLefts.push_back(width * i / count);
  for (int i = 0; i < count; ++i) {
    const int left = layout.slotLefts[i], right = layout.slotLefts[i + 1];
    const int gap = std::max(1, (right - left) / 8);
    const int middle = (left + right) / 2;
    StackBoxes(bars[i], ASLEEP_STACK, left + gap, middle, layout.baseline, pixelsPerMinute, layout.boxes);
    StackBoxes(bars[i], AWAKE_STACK, middle, right - gap, layout.baseline, pixelsPerMinute, layout.boxes);
  }
  return layout;
}

int BarAt(const ChartLayout& layout, int x) {
  if (layout.slotLefts.size() < 2 || x < layout.slotLefts.front() || x >= layout.slotLefts.back()) return -1;
  return static_cast<int>(std::ranges::upper_bound(layout.slotLefts, x) - layout.slotLefts.begin()) - 1;
}

std::string BarFigures(const TextCatalog& catalog, const HistoryBar& bar, HistorySpan span) {
  std::string parts;
  const auto addParts = [&](std::span<const DayColumn> stack) {
    for (DayColumn part : stack) {
      const std::uint32_t minutes = StackedMinutes(bar, part);
      if (minutes == 0) continue;
      if (!parts.empty()) parts += catalog.Text(IDS_HISTORY_SEPARATOR);
      parts += Format(catalog, {IDS_HISTORY_PART, {PartName(part), OneDecimal(Hours(minutes))}});
    }
  };
  addParts(ASLEEP_STACK);
  addParts(AWAKE_STACK);
  if (parts.empty()) parts = catalog.Text(IDS_HISTORY_NOTHING);
  std::string date = FormatCalendarDate(bar.date);
  if (span == HistorySpan::Months) date.resize(7);  // YYYY-MM
  return Format(catalog, {IDS_HISTORY_BAR,
                          {date, OneDecimal(Hours(StackMinutes(bar, ASLEEP_STACK))),
                           OneDecimal(Hours(StackMinutes(bar, AWAKE_STACK))), parts}});
}

Message TotalsLine(const HistoryTotals& totals) {
  return {IDS_HISTORY_TOTALS,
          {OneDecimal(totals.hoursAsleep), OneDecimal(totals.otherSleepHours), OneDecimal(totals.kilowattHours)}};
}

std::string BarLabel(std::span<const HistoryBar> bars, std::size_t index, HistorySpan span) {
  const CalendarDate& date = bars[index].date;
  if (span == HistorySpan::Months) return std::to_string(date.month);
  // Every fifth day, counted back from today's bar, which always has one.
  if ((bars.size() - 1 - index) % 5 != 0) return {};
  return std::to_string(date.month) + "/" + std::to_string(date.day);
}

}  // namespace sopora
