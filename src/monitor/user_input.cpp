#include "monitor/user_input.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace sopora {

namespace {
// Whether tick count `a` is later than `b`; tick counts wrap after 49 days.
bool Later(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b) > 0; }

}  // namespace

bool IsPointerJitter(std::optional<ScreenPoint> previous, std::optional<ScreenPoint> now) {
  if (!previous || !now) return false;
  const std::int32_t moved = std::max(std::abs(now->x - previous->x), std::abs(now->y - previous->y));
  return moved >= 1 && moved < MOUSE_DEAD_ZONE;
}

UserInput::UserInput(LastInputSource& windows) : m_windows(windows) {}

void UserInput::OnHookReport() {
  m_reportedSinceTick = true;
  m_lastReport = m_windows.Now();
}

bool UserInput::UnheardInput(std::uint32_t lastInput, std::optional<ScreenPoint> cursor) const {
  if (!m_previousLastInput || lastInput == *m_previousLastInput) return false;  // nothing new since the last tick
  if (m_lastReport && !Later(lastInput, *m_lastReport)) return false;         // the hooks heard it
  return !IsPointerJitter(m_previousCursor, cursor);
}

Activity UserInput::Ask() {
  const std::optional<std::uint32_t> lastInput = m_windows.LastInputTick();
  const std::optional<ScreenPoint> cursor = m_windows.CursorPosition();
  const bool unheard = lastInput && UnheardInput(*lastInput, cursor);
  const bool reported = std::exchange(m_reportedSinceTick, false);
  if (lastInput) m_previousLastInput = lastInput;
  m_previousCursor = cursor;

  if (unheard) return {Activity::Kind::Input, IDS_STATUS_INPUT, IDS_LOG_UNHEARD_INPUT};
  if (reported) return {Activity::Kind::Input, IDS_STATUS_INPUT, std::nullopt};  // the hooks' own reports log nothing
  return {};
}

}  // namespace sopora
