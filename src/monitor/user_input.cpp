#include "monitor/user_input.h"

#include <algorithm>
#include <cstdlib>

namespace sopora {

namespace {
// Whether tick count `a` is later than `b`; tick counts wrap after 49 days.
bool Later(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b) > 0; }

// Whether the pointer has left the dead zone around where it was.
bool PointerLeft(std::optional<ScreenPoint> from, std::optional<ScreenPoint> now) {
  if (!from || !now) return false;
  return std::max(std::abs(now->x - from->x), std::abs(now->y - from->y)) >= MOUSE_DEAD_ZONE;
}

}  // namespace

UserInput::UserInput(LastInputSource& windows, IdleRun& run) : m_windows(windows), m_run(run) {}

void UserInput::OnHookReport() {
  m_reportedSinceTick = true;
  m_lastReport = m_windows.Now();
  m_run.OnInputActivity();
}

void UserInput::OnUnreportedInput(UnreportedInput what) {
  if (what != UnreportedInput::PointerJitter) {
    m_unreportedSinceTick = true;
    return;
  }
  m_jitterSinceTick = true;
  m_lastJitterNotice = m_windows.Now();
}

// Tick counts are compared only with times of this tick's interval or the
// one before: a difference across 24.8 days changes sign.
bool UserInput::HeardOrJitter(std::uint32_t lastInput, std::optional<ScreenPoint> cursor) const {
  if (m_reportedSinceTick) return !Later(lastInput, m_lastReport);
  if (m_unreportedSinceTick || !m_lastJitterNotice || PointerLeft(m_cursorAtInput, cursor)) return false;
  // A hook tells of jitter at most every JITTER_NOTICE_INTERVAL_MS; what it
  // saw after its last notice it has not told.
  return static_cast<std::int32_t>(lastInput - *m_lastJitterNotice) <
         static_cast<std::int32_t>(JITTER_NOTICE_INTERVAL_MS);
}

Activity UserInput::Ask() {
  const std::optional<std::uint32_t> lastInput = m_windows.LastInputTick();
  const std::optional<ScreenPoint> cursor = m_windows.CursorPosition();
  const bool advanced = lastInput && m_previousLastInput && *lastInput != *m_previousLastInput;
  const bool unheard = advanced && !HeardOrJitter(*lastInput, cursor);
  const bool reported = m_reportedSinceTick;

  if (unheard || reported || !m_cursorAtInput) m_cursorAtInput = cursor;
  // Jitter told just before this tick may go on untold into the next interval.
  if (!m_jitterSinceTick) m_lastJitterNotice.reset();
  m_reportedSinceTick = m_unreportedSinceTick = m_jitterSinceTick = false;
  if (lastInput) m_previousLastInput = lastInput;

  if (unheard) return {Activity::Kind::Input, IDS_STATUS_INPUT, IDS_LOG_UNHEARD_INPUT};
  if (reported) return {Activity::Kind::Input, IDS_STATUS_INPUT, std::nullopt};  // the hooks' own reports log nothing
  return {};
}

}  // namespace sopora
