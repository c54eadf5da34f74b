// What the load meter draws: a dark percent grid that scrolls with the
// samples, the threshold line, the processor-load curve and the scale
// figures, onto any canvas.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace sopora {

using Colour = std::uint32_t;  // COLORREF: 0x00BBGGRR

constexpr Colour Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return Colour{red} | (Colour{green} << 8) | (Colour{blue} << 16);
}

struct LoadMeterStyle {
  std::int32_t thresholdLineWidth = 1;
  std::int32_t curveLineWidth = 1;
  Colour background = Rgb(0, 0, 0);
  Colour thresholdColour = Rgb(255, 0, 0);
  Colour curveColour = Rgb(0, 255, 0);
  Colour gridColour = Rgb(0, 255, 0);
  std::int32_t scaleMaximum = 100;
  std::int32_t scaleMinimum = 0;
  std::int32_t thresholdValue = 50;  // percent
};

// The scale figures are 4 x 7 pixel glyphs.
inline constexpr int DIGIT_WIDTH = 4;
inline constexpr int DIGIT_HEIGHT = 7;

// The drawing primitives of a device context.
class MeterCanvas {
 public:
  virtual ~MeterCanvas() = default;
  virtual void Fill(int width, int height, Colour colour) = 0;
  // A solid pen for the following lines; replaces the previous one.
  virtual void SelectPen(int width, Colour colour) = 0;
  virtual void MoveTo(int x, int y) = 0;
  // A line from the current point, which it excludes, as GDI draws them.
  virtual void LineTo(int x, int y) = 0;
  // White pixels of the digit's glyph, its top-left corner at (x, y).
  virtual void DrawDigit(int digit, int x, int y) = 0;
};

// Draws the whole meter into a width x height area. `gridPhase` counts
// sample updates and shifts the vertical grid lines; it returns to 0 once it
// reaches the grid spacing.
void DrawLoadMeter(MeterCanvas& canvas, int width, int height, const LoadMeterStyle& style,
                   std::span<const std::int32_t> samples, std::int32_t& gridPhase);

// The meter's state: its style, its copy of the samples and the grid phase.
class LoadMeterModel {
 public:
  // Replaces the style and empties the samples: no curve until the next
  // samples arrive.
  void SetStyle(const LoadMeterStyle& style);
  // Takes a copy of the history and moves the grid on by one step.
  void SetSamples(std::vector<std::int32_t> history);
  void Draw(MeterCanvas& canvas, int width, int height) { DrawLoadMeter(canvas, width, height, m_style, m_samples, m_gridPhase); }

  const LoadMeterStyle& Style() const { return m_style; }
  const std::vector<std::int32_t>& Samples() const { return m_samples; }
  std::int32_t GridPhase() const { return m_gridPhase; }

 private:
  LoadMeterStyle m_style;
  std::vector<std::int32_t> m_samples;
  std::int32_t m_gridPhase = 0;
};

}  // namespace sopora
