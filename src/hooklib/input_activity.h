// What the input hooks report to the main window: the message, and which
// mouse events count as activity.
#pragma once

#include <cstdint>

namespace sopora {

inline constexpr unsigned WM_INPUT_ACTIVITY = 0x1400;  // WM_USER + 0x1000
inline constexpr std::int32_t MOUSE_DEAD_ZONE = 4;     // pixels on either axis

struct ScreenPoint {
  std::int32_t x;
  std::int32_t y;
};

enum class MouseActivity { None, Move, Button };

// Decides whether a mouse message is activity. A move counts once it has
// drifted MOUSE_DEAD_ZONE pixels from the last reported point, which it
// then replaces; slower jitter is never reported. Presses, releases and
// double clicks of the left, right and middle buttons always count; the
// wheel and other messages do not.
constexpr MouseActivity ClassifyMouseMessage(unsigned message, ScreenPoint point, ScreenPoint& lastReported) {
  constexpr unsigned MOUSE_MOVE = 0x200, FIRST_BUTTON = 0x201, LAST_BUTTON = 0x209;
  if (message == MOUSE_MOVE) {
    const std::int32_t dx = point.x > lastReported.x ? point.x - lastReported.x : lastReported.x - point.x;
    const std::int32_t dy = point.y > lastReported.y ? point.y - lastReported.y : lastReported.y - point.y;
    if (dx < MOUSE_DEAD_ZONE && dy < MOUSE_DEAD_ZONE) return MouseActivity::None;
    lastReported = point;
    return MouseActivity::Move;
  }
  if (message >= FIRST_BUTTON && message <= LAST_BUTTON) return MouseActivity::Button;
  return MouseActivity::None;
}

}  // namespace sopora
