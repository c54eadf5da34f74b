// What the input hooks report to the main window: the messages, and which
// mouse events count as activity.
#pragma once

#include <cstdint>

namespace sopora {

inline constexpr unsigned WM_INPUT_ACTIVITY = 0x1400;  // WM_USER + 0x1000
inline constexpr std::int32_t MOUSE_DEAD_ZONE = 4;     // pixels on either axis

// Input a hook saw but does not report as WM_INPUT_ACTIVITY, told so that
// the session's last input time, which Windows advances for all of it, can
// be read right: jitter is no one at the machine, a wheel turn is.
inline constexpr unsigned WM_INPUT_UNREPORTED = 0x1402;  // WM_USER + 0x1002; wParam: UnreportedInput
enum class UnreportedInput : unsigned {
  PointerJitter = 1,  // a move inside the dead zone, which needs no one at the machine
  Other = 2,          // the wheel, extra buttons, the non-client area
};
// A hook tells of jitter at most this often; motion it saw after telling
// may go untold this long.
inline constexpr std::uint32_t JITTER_NOTICE_INTERVAL_MS = 500;

struct ScreenPoint {
  std::int32_t x;
  std::int32_t y;
};

enum class MouseActivity {
  None,        // not user input
  Move,        // reported
  Button,      // reported
  Jitter,      // a move inside the dead zone
  Unreported,  // input the designed reports leave out
};

// Decides what a mouse message is. A move counts once it has drifted
// MOUSE_DEAD_ZONE pixels from the last point that counted, which it then
// replaces (whether or not its post is held back); slower motion is jitter.
// That holds over the non-client area too (a title bar), where a real move
// is input the reports leave out.
// Presses, releases and double clicks of the left, right and middle
// buttons are reported; the wheels, the extra buttons and the non-client
// buttons are input left to the session's last input time.
constexpr MouseActivity ClassifyMouseMessage(unsigned message, ScreenPoint point, ScreenPoint& lastCounted) {
  constexpr unsigned MOUSE_MOVE = 0x200, FIRST_BUTTON = 0x201, LAST_BUTTON = 0x209;
  constexpr unsigned WHEEL = 0x20A, LAST_OTHER = 0x20E;            // wheel, extra buttons, horizontal wheel
  constexpr unsigned NC_MOUSE_MOVE = 0xA0, NC_LAST_BUTTON = 0xAD;  // non-client: left, right, middle, extra
  if (message == MOUSE_MOVE || message == NC_MOUSE_MOVE) {
    const std::int32_t dx = point.x > lastCounted.x ? point.x - lastCounted.x : lastCounted.x - point.x;
    const std::int32_t dy = point.y > lastCounted.y ? point.y - lastCounted.y : lastCounted.y - point.y;
    if (dx < MOUSE_DEAD_ZONE && dy < MOUSE_DEAD_ZONE) return MouseActivity::Jitter;
    lastCounted = point;
    return message == MOUSE_MOVE ? MouseActivity::Move : MouseActivity::Unreported;
  }
  if (message >= FIRST_BUTTON && message <= LAST_BUTTON) return MouseActivity::Button;
  if (message >= WHEEL && message <= LAST_OTHER) return MouseActivity::Unreported;
  if (message > NC_MOUSE_MOVE && message <= NC_LAST_BUTTON) return MouseActivity::Unreported;
  return MouseActivity::None;
}

}  // namespace sopora
