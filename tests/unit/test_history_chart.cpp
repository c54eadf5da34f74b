// The power saving history: the bars taken from the day book, the period's
// totals and energy estimate, and where the bars' parts are drawn.
#include <gtest/gtest.h>

#include "dialogs/history_chart.h"
#include "support/rc_catalog.h"

namespace sopora {
namespace {

DayRow Row(CalendarDate date, std::initializer_list<std::pair<DayColumn, std::uint32_t>> minutes) {
  DayRow row{date};
  for (const auto& [column, count] : minutes) row[column] = count;
  return row;
}

TEST(HistoryChartTest, BarsTotalsAndEstimateFromTheDayBook) {
  using enum DayColumn;
  struct Case {
    const char* name;
    DayBook book;
    CalendarDate today;
    HistorySpan span;
    int watts;
    CalendarDate first;  // the oldest bar's date
    const char* totals;  // as the window shows them
  };
  const Case cases[] = {
      {"empty book: 30 empty days ending today", {}, {2026, 12, 9}, HistorySpan::Days, 50, {2026, 11, 10},
       "期間の合計　Sopora による省電力 0.0 時間（ほかのスリープ 0.0 時間）　節電 推定 0.0 kWh"},
      {"across a leap February", {}, {2024, 3, 1}, HistorySpan::Days, 50, {2024, 2, 1}, ""},
      {"across a common February", {}, {2026, 3, 1}, HistorySpan::Days, 50, {2026, 1, 31}, ""},
      {"12 months across the new year", {}, {2026, 1, 15}, HistorySpan::Months, 50, {2025, 2, 1}, ""},
      // 212 h of standby at 52 W saves 212 x 50 Wh.
      {"standby saving", {Row({2026, 12, 9}, {{Standby, 212 * 60}})}, {2026, 12, 9}, HistorySpan::Days, 52,
       {2026, 11, 10}, "期間の合計　Sopora による省電力 212.0 時間（ほかのスリープ 0.0 時間）　節電 推定 10.6 kWh"},
      // 10 h x 48 W + 2 h x 49 W + 1 h x 49 W; the user's own sleep saves
      // nothing of Sopora's, and days outside the period or after today
      // (the clock set back) count nothing.
      {"each state at its draw",
       {Row({2026, 11, 9}, {{Standby, 6000}}), Row({2026, 11, 10}, {{Standby, 600}, {OtherSleep, 90}}),
        Row({2026, 12, 1}, {{Hibernation, 120}, {Off, 60}}), Row({2026, 12, 10}, {{Standby, 6000}})},
       {2026, 12, 9}, HistorySpan::Days, 50, {2026, 11, 10},
       "期間の合計　Sopora による省電力 13.0 時間（ほかのスリープ 1.5 時間）　節電 推定 0.6 kWh"},
      {"months add their days up",
       {Row({2025, 1, 31}, {{Standby, 6000}}), Row({2025, 12, 1}, {{Off, 600}}), Row({2025, 12, 31}, {{Off, 600}}),
        Row({2026, 11, 30}, {{Standby, 60}})},
       {2026, 11, 30}, HistorySpan::Months, 1001, {2025, 12, 1},
       "期間の合計　Sopora による省電力 21.0 時間（ほかのスリープ 0.0 時間）　節電 推定 21.0 kWh"},
      // An awake draw below a state's own saves nothing rather than less.
      {"awake draw below standby's", {Row({2026, 12, 9}, {{Standby, 600}, {Off, 600}})}, {2026, 12, 9},
       HistorySpan::Days, 1, {2026, 11, 10},
       "期間の合計　Sopora による省電力 20.0 時間（ほかのスリープ 0.0 時間）　節電 推定 0.0 kWh"},
  };
  for (const Case& c : cases) {
    const std::vector<HistoryBar> bars = HistoryBars(c.book, c.today, c.span);
    ASSERT_EQ(bars.size(), c.span == HistorySpan::Days ? 30u : 12u) << c.name;
    EXPECT_EQ(bars.front().date, c.first) << c.name;
    const CalendarDate last = c.span == HistorySpan::Days ? c.today : CalendarDate{c.today.year, c.today.month, 1};
    EXPECT_EQ(bars.back().date, last) << c.name;
    if (*c.totals) {
      EXPECT_EQ(rc::InJapanese(TotalsLine(TotalsOf(bars, c.watts))), std::string(c.totals)) << c.name;
    }
  }
}

TEST(HistoryChartTest, TheChosenBarsFiguresNameItsParts) {
  using enum DayColumn;
  // More held minutes than monitored ones (a damaged count) leave nothing
  // unheld rather than wrapping round to a huge figure.
  const DayBook book = {Row({2026, 12, 9}, {{Standby, 450}, {Monitored, 120}, {HeldByInput, 90}, {HeldBySound, 60}})};
  const HistoryBar bar = HistoryBars(book, {2026, 12, 9}, HistorySpan::Days).back();
  EXPECT_EQ(BarFigures(rc::Japanese(), bar, HistorySpan::Days),
            "2026-12-09　スリープ 7.5 時間、起動 2.5 時間　内訳: スタンバイ 7.5、入力 1.5、音声 1.0");
}

TEST(HistoryChartTest, TheBarsStandInTheirSlotsWithinThePlot) {
  using enum DayColumn;
  const DayBook book = {Row({2026, 12, 8}, {{Standby, 1440}}),
                        Row({2026, 12, 9}, {{Standby, 300}, {OtherSleep, 60}, {Monitored, 600}, {HeldByLoad, 200},
                                            {Paused, 480}})};
  const std::vector<HistoryBar> bars = HistoryBars(book, {2026, 12, 9}, HistorySpan::Days);
  const ChartLayout layout = LayOutChart(bars, HistorySpan::Days, 300, 145);
  EXPECT_EQ(layout.scaleHours, 24);
  EXPECT_EQ(layout.gridLines, (std::vector<int>{144, 108, 72, 36, 0}));
  ASSERT_EQ(layout.boxes.size(), 6u);
  EXPECT_EQ(layout.boxes[0].top, 0);  // a whole day asleep fills the plot
  for (const ChartBox& box : layout.boxes) {
    EXPECT_LT(box.top, box.bottom);
    EXPECT_GE(box.top, 0);
    EXPECT_LE(box.bottom, layout.baseline);
  }
  // Today's parts stack without gaps: asleep left, awake right.
  EXPECT_EQ(layout.boxes[1].bottom, layout.baseline);
  EXPECT_EQ(layout.boxes[2].bottom, layout.boxes[1].top);
  EXPECT_LE(layout.boxes[1].right, layout.boxes[3].left);
  EXPECT_EQ(layout.boxes[5].part, Paused);
  EXPECT_EQ(layout.boxes[5].top, layout.baseline - 108);  // 18 awake hours of 24
  for (int x : {0, 9, 10, 299}) EXPECT_EQ(BarAt(layout, x), x / 10) << x;
  EXPECT_EQ(BarAt(layout, 300), -1);
  // A day that is longer than 24 hours (the clock set back) raises the scale.
  const DayBook longDay = {Row({2026, 12, 9}, {{Monitored, 1500}})};
  EXPECT_EQ(LayOutChart(HistoryBars(longDay, {2026, 12, 9}, HistorySpan::Days), HistorySpan::Days, 300, 145).scaleHours,
            30);
}

// Neighbours in a stack must stay apart when printed or seen in grey.
TEST(HistoryChartTest, EachStacksColoursDifferInLightness) {
  const auto lightness = [](Colour c) { return 0.299 * (c & 0xFF) + 0.587 * (c >> 8 & 0xFF) + 0.114 * (c >> 16); };
  for (std::span<const DayColumn> stack : {std::span<const DayColumn>(ASLEEP_STACK), std::span<const DayColumn>(AWAKE_STACK)}) {
    for (std::size_t i = 0; i < stack.size(); ++i)
      for (std::size_t j = i + 1; j < stack.size(); ++j)
        EXPECT_GE(std::abs(lightness(StyleOf(stack[i]).colour) - lightness(StyleOf(stack[j]).colour)), 15.0) << i << "," << j;
  }
}

}  // namespace
}  // namespace sopora
