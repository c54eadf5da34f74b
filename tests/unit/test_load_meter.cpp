// The load meter's drawing: grid, threshold line, curve and figures, on a
// recording canvas (exact primitives) and on a pixel buffer (what shows).
#include <gtest/gtest.h>

#include "dialogs/load_meter_drawing.h"
#include "dialogs/settings_logic.h"
#include "support/canvases.h"

namespace sopora {
namespace {

using Calls = std::vector<std::string>;

const LoadMeterStyle DIALOG_STYLE = SettingsMeterStyle(false, 50);
const Colour BACKGROUND = Rgb(0, 0, 64);
const Colour GRID = Rgb(0, 160, 0);
const Colour RED = Rgb(255, 0, 0);
const Colour CURVE = Rgb(255, 255, 255);

Calls Draw(int width, int height, const LoadMeterStyle& style, std::vector<std::int32_t> samples,
           std::int32_t phase = 0) {
  RecordingCanvas canvas;
  DrawLoadMeter(canvas, width, height, style, samples, phase);
  return canvas.calls;
}

TEST(LoadMeterTest, AnEmptyMeterShowsGridThresholdAndFiguresButNoCurve) {
  PixelCanvas pixels(200, 100);
  std::int32_t phase = 0;
  DrawLoadMeter(pixels, 200, 100, DIALOG_STYLE, {}, phase);
  for (int y : {10, 20, 30, 40, 60, 70, 80, 90}) EXPECT_TRUE(pixels.RowIs(y, GRID, 20, 180)) << y;
  for (int x : {0, 20, 100, 180}) EXPECT_EQ(pixels.At(x, 35), GRID) << x;
  for (int x : {15, 105, 199}) EXPECT_EQ(pixels.At(x, 35), BACKGROUND) << x;
  EXPECT_TRUE(pixels.RowIs(50, RED, 0, 200));  // threshold 50 at H - trunc(H / 2)
  EXPECT_EQ(pixels.Count(CURVE) > 0, true);    // white figures...
  RecordingCanvas canvas;
  DrawLoadMeter(canvas, 200, 100, DIALOG_STYLE, {}, phase);
  EXPECT_EQ(canvas.Starting("Pen 2 " + std::to_string(CURVE)), Calls{});  // ...but no curve pen
  EXPECT_EQ(canvas.Starting("Digit").size(), 36u);
}

TEST(LoadMeterTest, TheStepsComeInOrderWithTheirPens) {
  const Calls calls = Draw(100, 50, DIALOG_STYLE, {0, 100, 50});
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[0], "Fill 100x50 " + std::to_string(BACKGROUND));
  EXPECT_EQ(calls[1], "Pen 1 " + std::to_string(GRID));
  // Horizontal lines at floor(H x i / 10), the tenth on y = H.
  EXPECT_EQ(calls[2], "MoveTo 0,5");
  EXPECT_EQ(calls[3], "LineTo 100,5");
  EXPECT_EQ(calls[20], "MoveTo 0,50");
  const auto thresholdPen = std::find(calls.begin(), calls.end(), "Pen 2 " + std::to_string(RED));
  ASSERT_NE(thresholdPen, calls.end());
  EXPECT_EQ(Calls(thresholdPen + 1, thresholdPen + 3), (Calls{"MoveTo 0,25", "LineTo 100,25"}));
  // The curve rises from the bottom-left corner; a sample of 0 lies on y = H,
  // one at the scale maximum on the top row; the last falls a step short
  // of the right edge.
  const auto curvePen = std::find(calls.begin(), calls.end(), "Pen 2 " + std::to_string(CURVE));
  ASSERT_NE(curvePen, calls.end());
  EXPECT_EQ(Calls(curvePen + 1, curvePen + 5), (Calls{"MoveTo 0,50", "LineTo 0,50", "LineTo 33,0", "LineTo 66,25"}));
  EXPECT_EQ(calls.back(), "Digit 0 92,37");  // the figures come last
}

TEST(LoadMeterTest, ThresholdRows) {
  struct Case {
    int height;
    std::int32_t threshold;
    std::string line;
  };
  const Case cases[] = {{100, 100, "MoveTo 0,0"},   {101, 50, "MoveTo 0,51"},     {100, 20, "MoveTo 0,80"},
                        {100, 0, "MoveTo 0,100"},  {100, 150, "MoveTo 0,-50"},
                        // far off the scale: kept one scale's height beyond the edge
                        {100, 2147483647, "MoveTo 0,-100"}, {100, -2147483647 - 1, "MoveTo 0,200"}};
  for (const Case& c : cases) {
    LoadMeterStyle style = DIALOG_STYLE;
    style.thresholdValue = c.threshold;
    const Calls calls = Draw(50, c.height, style, {});
    const auto pen = std::find(calls.begin(), calls.end(), "Pen 2 " + std::to_string(RED));
    ASSERT_NE(pen, calls.end());
    EXPECT_EQ(*(pen + 1), c.line) << c.height << " " << c.threshold;
  }
  PixelCanvas pixels(50, 100);
  std::int32_t phase = 0;
  LoadMeterStyle top = DIALOG_STYLE;
  top.thresholdValue = 100;
  DrawLoadMeter(pixels, 50, 100, top, {}, phase);
  EXPECT_TRUE(pixels.RowIs(0, RED, 20, 40));
}

TEST(LoadMeterTest, VerticalGridLinesMoveOneSampleStepPerUpdate) {
  struct Case {
    int width, height;
    std::size_t samples;
    std::int32_t phase;
    std::int32_t phaseAfter;
    std::vector<int> xs;
  };
  const Case cases[] = {
      {100, 50, 0, 0, 0, {0, 5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 85, 90, 95, 100}},
      {100, 100, 10, 5, 5, {-50, -40, -30, -20, -10, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100}},
      {100, 200, 4, 19, 19, {-475, -455, -435, -415, -395, -375, -355, -335, -315, -295, -275, -255, -235, -215,
                             -195, -175, -155, -135, -115, -95, -75, -55, -35, -15, 5, 25, 45, 65, 85}},
      {100, 200, 4, 20, 0, {0, 20, 40, 60, 80, 100}},  // phase reaches S = 20: back to the start
      {30, 9, 3, 0, 0, {}},                           // lower than 10 pixels: no vertical lines
  };
  for (const Case& c : cases) {
    RecordingCanvas canvas;
    std::int32_t phase = c.phase;
    DrawLoadMeter(canvas, c.width, c.height, DIALOG_STYLE, std::vector<std::int32_t>(c.samples, 0), phase);
    // MoveTo x,0 starts a vertical line; horizontal ones start at x = 0 with y > 0.
    std::vector<int> vertical;
    for (std::size_t i = 0; i + 1 < canvas.calls.size(); ++i) {
      const std::string& move = canvas.calls[i];
      const std::string& line = canvas.calls[i + 1];
      if (move.rfind("MoveTo ", 0) == 0 && move.substr(move.find(',')) == ",0" &&
          line == "LineTo " + move.substr(7, move.find(',') - 7) + "," + std::to_string(c.height)) {
        vertical.push_back(std::stoi(move.substr(7)));
      }
    }
    EXPECT_EQ(vertical, c.xs) << c.width << "x" << c.height << " phase " << c.phase;
    EXPECT_EQ(phase, c.phaseAfter);
  }
}

TEST(LoadMeterTest, ScaleFiguresSitOnePixelAboveTheirLines) {
  const Calls digits = [] {
    RecordingCanvas canvas;
    std::int32_t phase = 0;
    DrawLoadMeter(canvas, 200, 100, DIALOG_STYLE, {}, phase);
    return canvas.Starting("Digit");
  }();
  ASSERT_EQ(digits.size(), 36u);
  EXPECT_EQ(Calls(digits.begin(), digits.begin() + 4), (Calls{"Digit 9 4,2", "Digit 0 8,2", "Digit 9 188,2", "Digit 0 192,2"}));
  EXPECT_EQ(Calls(digits.end() - 4, digits.end()), (Calls{"Digit 1 4,82", "Digit 0 8,82", "Digit 1 188,82", "Digit 0 192,82"}));

  PixelCanvas pixels(200, 100);
  std::int32_t phase = 0;
  DrawLoadMeter(pixels, 200, 100, DIALOG_STYLE, {}, phase);
  // "9" at (4, 2): rows 6 9 9 7 1 9 6; its bottom row is one pixel above line 1.
  const int rows[7] = {0x6, 0x9, 0x9, 0x7, 0x1, 0x9, 0x6};
  for (int row = 0; row < 7; ++row)
    for (int column = 0; column < 4; ++column)
      EXPECT_EQ(pixels.At(4 + column, 2 + row) == CURVE, (rows[row] & (0x8 >> column)) != 0) << row << "," << column;
  EXPECT_EQ(pixels.At(5, 9), BACKGROUND);
}

TEST(LoadMeterTest, AScaleWithoutRangeDrawsNoLineOrCurve) {
  LoadMeterStyle flat = DIALOG_STYLE;
  flat.scaleMaximum = flat.scaleMinimum = 50;
  const Calls calls = Draw(100, 50, flat, {10, 20});
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "Pen 2 " + std::to_string(RED)), 0);
  EXPECT_EQ(calls.back(), "Digit 0 92,37");
}

TEST(LoadMeterTest, ACounterGoneWildIsDrawnOneScaleBeyondTheEdge) {
  const Calls calls = Draw(40, 100, DIALOG_STYLE, {2147483647, 50, -2147483647 - 1});
  for (const char* line : {"LineTo 0,-100", "LineTo 13,50", "LineTo 26,200"}) {
    EXPECT_NE(std::find(calls.begin(), calls.end(), line), calls.end()) << line;
  }
}

TEST(LoadMeterTest, TheModelCopiesSamplesAndCountsUpdates) {
  LoadMeterModel model;
  model.SetSamples({1, 2, 3});
  model.SetSamples({4, 5});
  EXPECT_EQ(model.Samples(), (std::vector<std::int32_t>{4, 5}));
  EXPECT_EQ(model.GridPhase(), 2);
  model.SetStyle(DIALOG_STYLE);
  EXPECT_TRUE(model.Samples().empty());  // no curve until the next tick
  EXPECT_EQ(model.GridPhase(), 2);       // the grid does not jump
  EXPECT_EQ(model.Style().background, BACKGROUND);
}

}  // namespace
}  // namespace sopora
