#include "monitor/other_sessions.h"

namespace sopora {

namespace {
constexpr std::int64_t TICKS_PER_SECOND = 10'000'000;  // 100 ns units
}  // namespace

OtherSessions::OtherSessions(SessionSource& sessions, const MonitorSettings& settings)
    : m_sessions(sessions), m_settings(settings) {}

// Input after the time seen at the previous tick; for a session not seen
// before, input within the last interval.
bool OtherSessions::HadInputSinceLastTick(const SessionInfo& session) const {
  const auto seen = m_lastInput.find(session.id);
  if (seen != m_lastInput.end()) return session.lastInputTime > seen->second;
  return session.currentTime - session.lastInputTime <= std::int64_t{m_settings.Interval} * TICKS_PER_SECOND;
}

Activity OtherSessions::Ask() {
  const std::optional<std::vector<SessionInfo>> sessions = m_sessions.Sessions();
  if (!sessions) return {};  // Windows cannot be asked: as before
  const std::uint32_t own = m_sessions.OwnSession();

  bool ownInUse = false;
  bool inputElsewhere = false;
  bool unknownElsewhere = false;
  std::map<std::uint32_t, std::int64_t> lastInput;
  for (const SessionInfo& session : *sessions) {
    if (session.id == own) {
      ownInUse = InUse(session);
      continue;
    }
    if (!InUse(session)) continue;
    if (!InputTimeKnown(session)) {
      unknownElsewhere = true;
      continue;
    }
    inputElsewhere |= HadInputSinceLastTick(session);
    lastInput[session.id] = session.lastInputTime;
  }
  m_lastInput = std::move(lastInput);  // sessions that ended are forgotten

  if (inputElsewhere) return {Activity::Kind::Busy, IDS_STATUS_OTHER_SESSION, IDS_LOG_OTHER_SESSION};
  if (!ownInUse && unknownElsewhere) return {Activity::Kind::Hold, IDS_STATUS_OTHER_SESSION, std::nullopt};
  return {};
}

}  // namespace sopora
