// Users in other sessions: one connected by Remote Desktop, or a second user
// signed in by fast user switching, works where Sopora's hooks cannot hear.
// Windows reports every session's state, user and last input.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "data/monitor_settings.h"
#include "monitor/activity.h"

namespace sopora {

// One session as Windows reports it (WTSSessionInfo). Times are in 100 ns
// units, as Windows counts them.
struct SessionInfo {
  std::uint32_t id = 0;
  bool active = false;   // WTSActive: a user is connected
  bool hasUser = false;  // a user is signed in (a sign-in screen has none)
  std::int64_t lastInputTime = 0;
  std::int64_t currentTime = 0;
};

class SessionSource {
 public:
  virtual ~SessionSource() = default;
  // Every session; nothing when Windows cannot be asked.
  virtual std::optional<std::vector<SessionInfo>> Sessions() = 0;
  // The session Sopora runs in.
  virtual std::uint32_t OwnSession() = 0;
};

// A session is in use when it is active and a user is signed in.
constexpr bool InUse(const SessionInfo& session) { return session.active && session.hasUser; }

// Windows reports no input time (0) for some sessions, and the console
// session's as the current time: neither says when its user last typed.
constexpr bool InputTimeKnown(const SessionInfo& session) {
  return session.lastInputTime != 0 && session.lastInputTime != session.currentTime;
}

// Busy while another session in use had input since the previous tick; a
// hold while Sopora's own session is not in use (its user switched away, or
// the remote connection dropped) and a session in use cannot say when its
// user last typed: Sopora cannot know, so it takes no action.
class OtherSessions : public ActivitySource {
 public:
  OtherSessions(SessionSource& sessions, const MonitorSettings& settings);
  Activity Ask() override;

 private:
  bool HadInputSinceLastTick(const SessionInfo& session) const;

  SessionSource& m_sessions;
  const MonitorSettings& m_settings;
  std::map<std::uint32_t, std::int64_t> m_lastInput;  // per session, as seen at the previous tick
};

}  // namespace sopora
