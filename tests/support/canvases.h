// Two canvases for the load meter's drawing: one records the primitives,
// one paints into a pixel buffer the way GDI would.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "dialogs/load_meter_drawing.h"

namespace sopora {

// The scale figures as the icon resources draw them: one 4-bit row pattern
// per line, most significant bit leftmost, top row first.
inline constexpr std::uint8_t DIGIT_GLYPH_ROWS[10][DIGIT_HEIGHT] = {
    {0x6, 0x9, 0x9, 0x9, 0x9, 0x9, 0x6}, {0x2, 0x6, 0x2, 0x2, 0x2, 0x2, 0x2}, {0x6, 0x9, 0x1, 0x2, 0x4, 0x8, 0xF},
    {0x6, 0x9, 0x1, 0x6, 0x1, 0x9, 0x6}, {0x2, 0x6, 0x6, 0xA, 0xA, 0xF, 0x2}, {0xF, 0x8, 0xE, 0x1, 0x1, 0x9, 0x6},
    {0x6, 0x9, 0x8, 0xE, 0x9, 0x9, 0x6}, {0xF, 0x1, 0x2, 0x2, 0x4, 0x4, 0x4}, {0x6, 0x9, 0x9, 0x6, 0x9, 0x9, 0x6},
    {0x6, 0x9, 0x9, 0x7, 0x1, 0x9, 0x6},
};

class RecordingCanvas : public MeterCanvas {
 public:
  std::vector<std::string> calls;
  void Fill(int width, int height, Colour colour) override {
    calls.push_back("Fill " + std::to_string(width) + "x" + std::to_string(height) + " " + std::to_string(colour));
  }
  void SelectPen(int width, Colour colour) override {
    calls.push_back("Pen " + std::to_string(width) + " " + std::to_string(colour));
  }
  void MoveTo(int x, int y) override { calls.push_back("MoveTo " + std::to_string(x) + "," + std::to_string(y)); }
  void LineTo(int x, int y) override { calls.push_back("LineTo " + std::to_string(x) + "," + std::to_string(y)); }
  void DrawDigit(int digit, int x, int y) override {
    calls.push_back("Digit " + std::to_string(digit) + " " + std::to_string(x) + "," + std::to_string(y));
  }
  std::vector<std::string> Starting(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& c : calls) if (c.rfind(prefix, 0) == 0) found.push_back(c);
    return found;
  }
};

class PixelCanvas : public MeterCanvas {
 public:
  PixelCanvas(int width, int height) : m_width(width), m_height(height), m_pixels(width * height, 0xFFFFFFFF) {}

  Colour At(int x, int y) const { return m_pixels[y * m_width + x]; }
  bool RowIs(int y, Colour colour, int fromX, int toX) const {
    for (int x = fromX; x < toX; ++x) if (At(x, y) != colour) return false;
    return true;
  }
  int Count(Colour colour) const { return static_cast<int>(std::count(m_pixels.begin(), m_pixels.end(), colour)); }

  void Fill(int width, int height, Colour colour) override {
    for (int y = 0; y < height; ++y) for (int x = 0; x < width; ++x) Set(x, y, colour);
  }
  void SelectPen(int width, Colour colour) override {
    m_penWidth = width;
    m_pen = colour;
  }
  void MoveTo(int x, int y) override {
    m_x = x;
    m_y = y;
  }
  // Bresenham from the current point, leaving out the end point as GDI
  // does; a wider pen paints a square around each point.
  void LineTo(int x, int y) override {
    int x0 = m_x, y0 = m_y;
    const int dx = std::abs(x - x0), dy = -std::abs(y - y0);
    const int sx = x0 < x ? 1 : -1, sy = y0 < y ? 1 : -1;
    int error = dx + dy;
    while (x0 != x || y0 != y) {
      Plot(x0, y0);
      const int e2 = 2 * error;
      if (e2 >= dy) { error += dy; x0 += sx; }
      if (e2 <= dx) { error += dx; y0 += sy; }
    }
    MoveTo(x, y);
  }
  void DrawDigit(int digit, int x, int y) override {
    for (int row = 0; row < DIGIT_HEIGHT; ++row)
      for (int column = 0; column < DIGIT_WIDTH; ++column)
        if (DIGIT_GLYPH_ROWS[digit][row] & (0x8 >> column)) Set(x + column, y + row, Rgb(255, 255, 255));
  }

 private:
  void Plot(int x, int y) {
    const int from = -(m_penWidth - 1) / 2;
    for (int dy = from; dy < from + m_penWidth; ++dy)
      for (int dx = from; dx < from + m_penWidth; ++dx) Set(x + dx, y + dy, m_pen);
  }
  void Set(int x, int y, Colour colour) {
    if (x >= 0 && y >= 0 && x < m_width && y < m_height) m_pixels[y * m_width + x] = colour;
  }

  int m_width, m_height;
  std::vector<Colour> m_pixels;
  int m_penWidth = 1;
  Colour m_pen = 0;
  int m_x = 0, m_y = 0;
};

}  // namespace sopora
