// The settings dialog's apply and live display, and the exception-window
// list's rules.
#include <gtest/gtest.h>

#include "dialogs/except_list_logic.h"
#include "dialogs/settings_logic.h"
#include "monitor/idle_monitor.h"
#include "support/rc_catalog.h"
#include "text/text_field.h"

namespace sopora {
namespace {

constexpr std::uint32_t SPIN_ERROR = 0x00010000;  // the error flag an up-down control sets

TEST(SettingsLogicTest, ApplyCutsToTheMaximumOnlyFromAbove) {
  struct Case {
    SettingsDialogInput input;
    std::int32_t cpu, interval, maxTime, method;
    bool cpuCut, intervalCut, maxTimeCut;
  };
  const Case cases[] = {
      {{20, 1, 5, 0}, 20, 1, 5, 0, false, false, false},
      {{100, 10, 60, 2}, 100, 10, 60, 2, false, false, false},
      {{101, 75, 61, 1}, 100, 10, 60, 1, true, true, true},              // typed above the range
      {{SPIN_ERROR | 20, 3, 5, 0}, 100, 3, 5, 0, true, false, false},    // cleared field
      {{30, 5, SPIN_ERROR | 60, 0}, 30, 5, 60, 0, false, false, true},   // 0 typed: out of range
      {{30, 5, 60, -1}, 30, 5, 60, -1, false, false, false},             // no item selected
      {{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0}, 100, 10, 60, 0, true, true, true},
  };
  for (const Case& c : cases) {
    const AppliedSettings a = ApplySettingsInput(c.input);
    EXPECT_EQ(a.CPUBorder, c.cpu);
    EXPECT_EQ(a.Interval, c.interval);
    EXPECT_EQ(a.MAXTime, c.maxTime);
    EXPECT_EQ(a.Method, c.method);
    EXPECT_EQ(a.cpuBorderCut, c.cpuCut);
    EXPECT_EQ(a.intervalCut, c.intervalCut);
    EXPECT_EQ(a.maxTimeCut, c.maxTimeCut);
  }
}

TEST(SettingsLogicTest, LiveDisplayFigures) {
  EXPECT_EQ(FormatTrafficCaption(12, 300), "12/(300) KB/s");
  EXPECT_EQ(FormatTrafficCaption(-1, 500), "-1/(500) KB/s");
  EXPECT_EQ(FormatTrafficCaption(0, 300), "0/(300) KB/s");

  struct Case {
    std::int32_t count, maxTime, interval, percent;
  };
  const Case cases[] = {
      {8, 1, 7, 93},    // the full run is 60 / 7 = 8.57 ticks, not 8
      {9, 1, 7, 105},   // beyond full: the bar shows it full
      {0, 5, 1, 0},
      {150, 5, 1, 50},
      {299, 5, 1, 99},
      {300, 5, 1, 100},
      {5, 0, 1, 0},     // a hand-edited zero duration shows nothing
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LowLoadProgressPercent(c.count, c.maxTime, c.interval), c.percent) << c.count << " " << c.maxTime << "/" << c.interval;
  }
}

TEST(SettingsLogicTest, MeterStyleFollowsTheMeasuringMethod) {
  const LoadMeterStyle total = SettingsMeterStyle(false, 20);
  const LoadMeterStyle idle = SettingsMeterStyle(true, 20);
  EXPECT_EQ(total.curveColour, Rgb(255, 255, 255));
  EXPECT_EQ(idle.curveColour, Rgb(128, 255, 128));
  EXPECT_EQ(total.background, Rgb(0, 0, 64));
  EXPECT_EQ(total.gridColour, Rgb(0, 160, 0));
  EXPECT_EQ(total.thresholdColour, Rgb(255, 0, 0));
  EXPECT_EQ(total.thresholdLineWidth, 2);
  EXPECT_EQ(total.curveLineWidth, 2);
  EXPECT_EQ(total.thresholdValue, 20);
}

std::vector<std::string> Titles(const std::vector<ExceptWndEntry>& entries) {
  std::vector<std::string> titles;
  for (const ExceptWndEntry& e : entries) titles.emplace_back(TextOfField(e.title));
  return titles;
}

TEST(SettingsLogicTest, WhatTheMethodListAndItsMessageShow) {
  EXPECT_EQ(rc::InJapanese(MethodListText(1, true)), "休止状態（このPCでは使えません）");
  EXPECT_EQ(rc::InJapanese(MethodListText(2, false)), "シャットダウン");
  struct Case {
    std::string text, lines;
  };
  const Case cases[] = {
      {"休止状態が無効です。powercfg /hibernate on で有効になります",
       "休止状態が無効です。\npowercfg /hibernate on で有効になります"},
      {"このPCはスタンバイ(S3)に対応していません", "このPCはスタンバイ(S3)に対応していません"},
      {"一。二。", "一。\n二。"},  // no empty line at the end
      {"Hibernation is off. powercfg /hibernate on switches it on",
       "Hibernation is off.\npowercfg /hibernate on switches it on"},
      {"(S3). Choose. ", "(S3).\nChoose. "},
      {"\x81\x81\x42", "\x81\x81\x42"},  // a trail byte 0x81 before 'B' is no full stop
  };
  for (const Case& c : cases) EXPECT_EQ(OneSentencePerLine(c.text), c.lines) << c.text;
}

TEST(ExceptListLogicTest, LinesBecomeEntriesInOrderWithoutEmptyOnes) {
  const std::string long300(300, 'x');
  const std::vector<ExceptWndEntry> entries = EntriesFromLines({"b*", "", "a?c", "a?c", long300, std::string(258, 'y') + "ア"});
  EXPECT_EQ(Titles(entries), (std::vector<std::string>{"b*", "a?c", "a?c", std::string(259, 'x'), std::string(258, 'y')}));
  for (const ExceptWndEntry& e : entries) {
    for (std::size_t i = TextOfField(e.title).size(); i < sizeof e.title; ++i) ASSERT_EQ(e.title[i], 0);
    for (char c : e.className) ASSERT_EQ(c, 0);
  }
  EXPECT_TRUE(EntriesFromLines({}).empty());
}

}  // namespace
}  // namespace sopora
