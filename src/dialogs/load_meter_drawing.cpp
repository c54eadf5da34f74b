#include "dialogs/load_meter_drawing.h"

#include <algorithm>
#include <utility>

namespace sopora {

namespace {
constexpr int GRID_LINES = 10;

// Height of a value on the scale, from the bottom edge (y = height) up.
// Height of a value on the scale, from the bottom edge (y = height) up. A
// value far off the scale (a counter gone wild, a hand-edited threshold)
// is first brought to within one scale's height of it: it is still drawn
// off the edge and clipped, and the arithmetic cannot overflow.
int ScaledY(int height, std::int64_t value, const LoadMeterStyle& style) {
  const std::int64_t range = std::int64_t{style.scaleMaximum} - style.scaleMinimum;
  const std::int64_t beyond = range < 0 ? -range : range;
  const std::int64_t lowest = std::min<std::int64_t>(style.scaleMinimum, style.scaleMaximum) - beyond;
  const std::int64_t highest = std::max<std::int64_t>(style.scaleMinimum, style.scaleMaximum) + beyond;
  return height - static_cast<int>(std::int64_t{height} * std::clamp(value, lowest, highest) / range);
}

// The x of sample i when n samples share the width (the last one falls a
// step short of the right edge).
int SampleX(int width, std::size_t count, std::int64_t index) {
  return static_cast<int>((static_cast<double>(width) / static_cast<double>(count)) * static_cast<double>(index));
}

void DrawGrid(MeterCanvas& canvas, int width, int height, Colour colour, std::size_t count, std::int32_t& phase) {
  canvas.SelectPen(1, colour);
  for (int i = 1; i <= GRID_LINES; ++i) {
    const int y = height * i / GRID_LINES;  // the tenth lies just below the client area
    canvas.MoveTo(0, y);
    canvas.LineTo(width, y);
  }
  const int spacing = height / GRID_LINES;
  if (phase >= spacing) phase = 0;
  if (spacing == 0) return;  // too low for vertical lines
  // Each update moves the lines one sample step left; after `spacing`
  // updates the pattern is back where it started.
  for (int x = count == 0 ? 0 : SampleX(width, count, -std::int64_t{phase}); x <= width; x += spacing) {
    canvas.MoveTo(x, 0);
    canvas.LineTo(x, height);
  }
}

void DrawScaleFigures(MeterCanvas& canvas, int width, int height) {
  for (int k = 1; k <= 9; ++k) {
    const int tens = 10 - k;                            // 90 at the top line down to 10
    const int y = height * k / GRID_LINES - DIGIT_HEIGHT - 1;  // one pixel above line k
    canvas.DrawDigit(tens, 4, y);
    canvas.DrawDigit(0, 8, y);
    canvas.DrawDigit(tens, width - 12, y);
    canvas.DrawDigit(0, width - 8, y);
  }
}
}  // namespace

void DrawLoadMeter(MeterCanvas& canvas, int width, int height, const LoadMeterStyle& style,
                   std::span<const std::int32_t> samples, std::int32_t& gridPhase) {
  canvas.Fill(width, height, style.background);
  DrawGrid(canvas, width, height, style.gridColour, samples.size(), gridPhase);

  // A scale without range cannot place anything on it.
  const std::int64_t range = std::int64_t{style.scaleMaximum} - style.scaleMinimum;
  if (range != 0) {
    canvas.SelectPen(style.thresholdLineWidth, style.thresholdColour);
    const int thresholdY = ScaledY(height, style.thresholdValue, style);
    canvas.MoveTo(0, thresholdY);
    canvas.LineTo(width, thresholdY);

    if (!samples.empty()) {
      canvas.SelectPen(style.curveLineWidth, style.curveColour);
      canvas.MoveTo(0, height);  // the curve rises from the bottom-left corner
      for (std::size_t i = 0; i < samples.size(); ++i) {
        canvas.LineTo(SampleX(width, samples.size(), static_cast<std::int64_t>(i)), ScaledY(height, samples[i], style));
      }
    }
  }
  DrawScaleFigures(canvas, width, height);
}

void LoadMeterModel::SetStyle(const LoadMeterStyle& style) {
  m_style = style;
  m_samples.clear();
}

void LoadMeterModel::SetSamples(std::vector<std::int32_t> history) {
  m_samples = std::move(history);
  ++m_gridPhase;
}

}  // namespace sopora
