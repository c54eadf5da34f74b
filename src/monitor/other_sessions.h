// Users in other sessions: one connected by Remote Desktop, or a second user
// signed in by fast user switching, works where Sopora's hooks cannot hear.
// Windows reports every session's state, user and last input.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "data/monitor_settings.h"
#include "data/operation_log.h"
#include "monitor/activity.h"

namespace sopora {

// One session as Windows reports it (WTSSessionInfo). Times are in 100 ns
// units, as Windows counts them.
struct SessionInfo {
  std::uint32_t id = 0;
  bool active = false;   // WTSActive: a user is connected
  bool hasUser = false;  // a user is signed in (a sign-in screen has none)
  bool locked = false;   // its user locked it and is not at its keyboard
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

// A session is in use when it is active, a user is signed in and it is not
// locked.
constexpr bool InUse(const SessionInfo& session) { return session.active && session.hasUser && !session.locked; }

// The lock state Windows reports (WTSINFOEX_LEVEL1 SessionFlags): 0 locked,
// 1 unlocked, -1 unknown; Windows 7 and Server 2008 R2 report the first two
// the other way round. An unknown state counts as unlocked, so a session
// that may be in use keeps the machine awake.
constexpr bool LockedByFlags(std::int32_t sessionFlags, bool flagsSwapped) {
  return sessionFlags == (flagsSwapped ? 1 : 0);
}

// An active session that Windows lists but will not describe: someone may
// be using it, and nobody can say when they last typed.
constexpr SessionInfo UndescribedActiveSession(std::uint32_t id) { return {id, true, true, false, 0, 0}; }

// Windows reports no input time (0) for some sessions, and the console
// session's as the current time: neither says when its user last typed.
constexpr bool InputTimeKnown(const SessionInfo& session) {
  return session.lastInputTime != 0 && session.lastInputTime != session.currentTime;
}

// Whether the session `own` is the one whose awake minutes count for the
// machine, so that instances in several sessions count each minute once:
// the session in use (the lowest-numbered, should several be), else the
// first connected one with a user (its user locked it and left), else the
// first with a user. One that is not listed counts.
bool CountsForMachine(const std::vector<SessionInfo>& sessions, std::uint32_t own);

// Busy while another session in use had input since the previous tick; a
// hold while another session in use cannot say when its user last typed
// (Windows reports none for the console), whatever Sopora's own session is
// doing: an idle remote user's Sopora must not put the machine to sleep
// under the console's user. The hold announces itself once when it begins,
// since it may last for days.
class OtherSessions : public ActivitySource {
 public:
  OtherSessions(SessionSource& sessions, const MonitorSettings& settings, OperationLog& log);
  Activity Ask() override;
  // As of the last tick; true while Windows cannot be asked.
  bool OwnSessionCounts() const { return m_ownSessionCounts; }

 private:
  bool HadInputSinceLastTick(const SessionInfo& session) const;

  SessionSource& m_sessions;
  const MonitorSettings& m_settings;
  OperationLog& m_log;
  std::map<std::uint32_t, std::int64_t> m_lastInput;  // per session, as seen at the previous tick
  bool m_holding = false;                             // the previous tick held the count
  bool m_ownSessionCounts = true;
};

}  // namespace sopora
