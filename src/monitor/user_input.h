// The user's input in Sopora's own session: what the input hooks report,
// and the session's last input time that Windows keeps, which also covers
// what the hooks cannot hear (input to programs running as administrator,
// a hook Windows removed because it timed out, or one another program
// ended).
#pragma once

#include <cstdint>
#include <optional>

#include "hooklib/input_activity.h"
#include "monitor/activity.h"

namespace sopora {

class LastInputSource {
 public:
  virtual ~LastInputSource() = default;
  // The tick count (milliseconds, wrapping) of the session's last input;
  // nothing when Windows cannot say.
  virtual std::optional<std::uint32_t> LastInputTick() = 0;
  // The tick count now.
  virtual std::uint32_t Now() = 0;
  // The pointer's position on the screen; nothing when it cannot be read.
  virtual std::optional<ScreenPoint> CursorPosition() = 0;
};

// A pointer that moved 1 to 3 pixels (on both axes) since the previous
// tick: jitter, which the hooks' dead zone never reports either.
bool IsPointerJitter(std::optional<ScreenPoint> previous, std::optional<ScreenPoint> now);

// Input since the previous tick: the hooks' reports, and input Windows saw
// after the hooks' last report that is not pointer jitter. A pointer that
// did not move at all means keys, the wheel or buttons: input.
class UserInput : public ActivitySource {
 public:
  explicit UserInput(LastInputSource& windows);

  // A report of the input hooks, as it arrives.
  void OnHookReport();
  Activity Ask() override;

 private:
  bool UnheardInput(std::uint32_t lastInput, std::optional<ScreenPoint> cursor) const;

  LastInputSource& m_windows;
  bool m_reportedSinceTick = false;
  std::optional<std::uint32_t> m_lastReport;        // tick count of the hooks' last report
  std::optional<std::uint32_t> m_previousLastInput;  // Windows' last input time at the previous tick
  std::optional<ScreenPoint> m_previousCursor;
};

}  // namespace sopora
