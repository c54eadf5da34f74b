// What the power saving history window shows: from the day book and today's
// date, a bar per day or per month of the hours asleep and awake, the
// period's totals with the energy Sopora saved, and where each bar's parts
// go in the chart.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "data/day_book.h"
#include "text/messages.h"
#include "dialogs/load_meter_drawing.h"

namespace sopora {

enum class HistorySpan { Days, Months };
inline constexpr int HISTORY_DAYS = 30;
inline constexpr int HISTORY_MONTHS = 12;

// One day, or one calendar month (its date is then the first of it).
struct HistoryBar {
  CalendarDate date;
  std::array<std::uint32_t, DAY_COLUMN_COUNT> minutes{};
  std::uint32_t operator[](DayColumn column) const { return minutes[static_cast<std::size_t>(column)]; }
};

// The last 30 days or 12 months up to and including today's, oldest first;
// a day the book has no row for is an empty bar, and rows dated after today
// (the clock set back) are left out.
std::vector<HistoryBar> HistoryBars(const DayBook& book, CalendarDate today, HistorySpan span);

// The states' draws the estimate assumes, in watts.
inline constexpr int STANDBY_DRAW_WATTS = 2;
inline constexpr int HIBERNATION_DRAW_WATTS = 1;
inline constexpr int OFF_DRAW_WATTS = 1;

struct HistoryTotals {
  double hoursAsleep = 0;       // Sopora's standby, hibernation and off
  double otherSleepHours = 0;   // sleep Sopora did not start
  double kilowattHours = 0;     // what Sopora's sleep saved, by the estimate
};

// Hours Sopora had the machine asleep or off x (awake draw - the state's
// draw); a state drawing as much as the awake machine saves nothing.
HistoryTotals TotalsOf(std::span<const HistoryBar> bars, int awakeWatts);

// The two stacks of a bar, bottom up. Sleep Sopora did not start sits on
// top of its own, apart from the saving; the awake stack ends with the
// minutes nothing held (Monitored stands for those) and the paused ones.
inline constexpr DayColumn ASLEEP_STACK[] = {DayColumn::Standby, DayColumn::Hibernation, DayColumn::Off,
                                             DayColumn::OtherSleep};
inline constexpr DayColumn AWAKE_STACK[] = {
    DayColumn::HeldByLoad,         DayColumn::HeldByInput,          DayColumn::HeldByExceptionWindow,
    DayColumn::HeldByOtherSession, DayColumn::HeldByProgramRequest, DayColumn::HeldBySound,
    DayColumn::Monitored,          DayColumn::Paused};

// A part's minutes in its stack: Monitored is what is left of the monitored
// minutes once the held ones are taken out.
std::uint32_t StackedMinutes(const HistoryBar& bar, DayColumn part);

// How a part is painted. Within each stack the colours step in lightness,
// so they stay apart in grey; the palest get an outline to stand out from
// the window. In high contrast the system's text colour draws `hatch` (a
// GDI HS_ style, or SOLID_PART / EMPTY_PART) instead.
inline constexpr int SOLID_PART = -1;
inline constexpr int EMPTY_PART = -2;
struct PartStyle {
  Colour colour;
  int hatch;
  bool outlined = false;
};
PartStyle StyleOf(DayColumn part);

struct ChartBox {
  int left, top, right, bottom;
  DayColumn part;
};

// The chart in a width x height area: plot boxes of every part, the slot
// each bar owns (for hovering and the selection mark) and the grid.
struct ChartLayout {
  std::vector<ChartBox> boxes;
  std::vector<int> slotLefts;  // one per bar, then the right end of the last
  std::vector<int> gridLines;  // y of each scale step, bottom one first
  int scaleHours = 0;          // the top of the scale
  int gridHours = 0;           // between two grid lines
  int baseline = 0;            // y under the bars
};
ChartLayout LayOutChart(std::span<const HistoryBar> bars, HistorySpan span, int width, int height);

// The bar under x, or -1.
int BarAt(const ChartLayout& layout, int x);

// The chosen bar's date and figures (the parts it has, in hours), and the
// period's totals, as the window's lines of text.
std::string BarFigures(const TextCatalog& catalog, const HistoryBar& bar, HistorySpan span);
Message TotalsLine(const HistoryTotals& totals);

// The name of a part, as the legend and the figures give it.
MessageId PartName(DayColumn part);

// "12/7" under a day's bar, "12" under a month's; empty where a label would
// crowd its neighbours.
std::string BarLabel(std::span<const HistoryBar> bars, std::size_t index, HistorySpan span);

}  // namespace sopora
