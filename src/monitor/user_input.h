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

// What the user's input means, in one place. A hook report starts the idle
// run again at once. At each tick, input since the previous one counts: the
// hooks' reports, and input only Windows saw (its last input time advanced with no report since the previous
// tick, or past the last report). Input only Windows saw counts unless the
// hooks told of nothing but pointer jitter around then and the pointer has
// stayed inside the dead zone since input last counted. Where the hooks
// hear nothing (programs running as administrator, the secure desktop)
// Windows cannot tell jitter from a key, and it counts: awake rather than
// asleep under a user.
class UserInput : public ActivitySource {
 public:
  UserInput(LastInputSource& windows, IdleRun& run);

  // A report of the input hooks, as it arrives.
  void OnHookReport();
  // A hook's word on input it does not report, as it arrives.
  void OnUnreportedInput(UnreportedInput what);
  Activity Ask() override;

 private:
  bool HeardOrJitter(std::uint32_t lastInput, std::optional<ScreenPoint> cursor) const;

  LastInputSource& m_windows;
  IdleRun& m_run;
  bool m_reportedSinceTick = false;
  std::uint32_t m_lastReport = 0;      // tick count of the hooks' last report, read while m_reportedSinceTick
  bool m_unreportedSinceTick = false;  // a wheel turn, say: not jitter
  bool m_jitterSinceTick = false;
  std::optional<std::uint32_t> m_lastJitterNotice;   // of this tick's interval or the one before
  std::optional<std::uint32_t> m_previousLastInput;  // Windows' last input time at the previous tick
  std::optional<ScreenPoint> m_cursorAtInput;        // the pointer when input last counted
};

}  // namespace sopora
