// The Win32 side of the activity sources: Windows' sessions (wtsapi32.dll,
// loaded at run time from the system folder) and the session's last input
// time.
#pragma once

#include "monitor/other_sessions.h"
#include "monitor/user_input.h"

namespace sopora {

// WTSEnumerateSessionsW and WTSQuerySessionInformationW (WTSSessionInfo).
class Win32SessionSource : public SessionSource {
 public:
  std::optional<std::vector<SessionInfo>> Sessions() override;
  std::uint32_t OwnSession() override;
};

// GetLastInputInfo, GetTickCount and GetCursorPos.
class Win32LastInput : public LastInputSource {
 public:
  std::optional<std::uint32_t> LastInputTick() override;
  std::uint32_t Now() override;
  std::optional<ScreenPoint> CursorPosition() override;
};

}  // namespace sopora
