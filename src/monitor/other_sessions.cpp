#include "monitor/other_sessions.h"

namespace sopora {

namespace {
constexpr std::int64_t TICKS_PER_SECOND = 10'000'000;  // 100 ns units
}  // namespace

bool CountsForMachine(const std::vector<SessionInfo>& sessions, std::uint32_t own) {
  const auto first = [&](auto&& test) {
    const SessionInfo* found = nullptr;
    for (const SessionInfo& session : sessions) {
      if (test(session) && (!found || session.id < found->id)) found = &session;
    }
    return found;
  };
  const SessionInfo* counting = first([](const SessionInfo& s) { return InUse(s); });
  if (!counting) counting = first([](const SessionInfo& s) { return s.active && s.hasUser; });
  if (!counting) counting = first([](const SessionInfo& s) { return s.hasUser; });
  const bool listed = first([&](const SessionInfo& s) { return s.id == own; }) != nullptr;
  return !counting || !listed || counting->id == own;
}

OtherSessions::OtherSessions(SessionSource& sessions, const MonitorSettings& settings, OperationLog& log)
    : m_sessions(sessions), m_settings(settings), m_log(log) {}

// An input time other than the one seen at the previous tick (earlier too:
// the clock may have been set back); for a session not seen before, input
// within the last interval.
bool OtherSessions::HadInputSinceLastTick(const SessionInfo& session) const {
  const auto seen = m_lastInput.find(session.id);
  if (seen != m_lastInput.end()) return session.lastInputTime != seen->second;
  return session.currentTime - session.lastInputTime <= std::int64_t{m_settings.Interval} * TICKS_PER_SECOND;
}

Activity OtherSessions::Ask() {
  const std::optional<std::vector<SessionInfo>> sessions = m_sessions.Sessions();
  if (!sessions) {  // Windows cannot be asked: as before
    m_holding = false;
    m_ownSessionCounts = true;
    return {};
  }
  const std::uint32_t own = m_sessions.OwnSession();
  m_ownSessionCounts = CountsForMachine(*sessions, own);

  bool inputElsewhere = false;
  bool unknownElsewhere = false;
  std::map<std::uint32_t, std::int64_t> lastInput;
  for (const SessionInfo& session : *sessions) {
    if (session.id == own || !InUse(session)) continue;
    if (!InputTimeKnown(session)) {
      unknownElsewhere = true;
      continue;
    }
    inputElsewhere |= HadInputSinceLastTick(session);
    lastInput[session.id] = session.lastInputTime;
  }
  m_lastInput = std::move(lastInput);  // sessions that ended are forgotten

  const bool held = unknownElsewhere && !inputElsewhere;
  if (held && !m_holding) m_log.AddLog(LOG_WARNING, IDS_LOG_OTHER_SESSION_HOLD);
  m_holding = held;
  if (inputElsewhere) return {Activity::Kind::Busy, IDS_STATUS_OTHER_SESSION, IDS_LOG_OTHER_SESSION};
  if (held) return {Activity::Kind::Hold, IDS_STATUS_OTHER_SESSION, std::nullopt};
  return {};
}

}  // namespace sopora
