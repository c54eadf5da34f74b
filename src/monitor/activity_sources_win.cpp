#include "monitor/activity_sources_win.h"

#include <windows.h>
#include <versionhelpers.h>
#include <wtsapi32.h>

#include "framework/system_library.h"
#include "monitor/wts_info_ex_win.h"

namespace sopora {

namespace {
struct WtsFunctions {
  decltype(WTSEnumerateSessionsW)* enumerateSessions;
  decltype(WTSQuerySessionInformationW)* querySessionInformation;
  decltype(WTSFreeMemory)* freeMemory;
};

const WtsFunctions& Wts() {
  static const WtsFunctions functions = [] {
    const SystemLibrary wtsapi32(L"wtsapi32.dll");
    return WtsFunctions{wtsapi32.Find<decltype(WTSEnumerateSessionsW)>("WTSEnumerateSessionsW"),
                        wtsapi32.Find<decltype(WTSQuerySessionInformationW)>("WTSQuerySessionInformationW"),
                        wtsapi32.Find<decltype(WTSFreeMemory)>("WTSFreeMemory")};
  }();
  return functions;
}

// Memory a WTS query returned, freed through the function looked up above.
using WtsMemory = std::unique_ptr<void, decltype(WTSFreeMemory)*>;

// Whether the session is locked; unlocked where Windows cannot say (before
// Windows 7 it has no such query).
bool QueryLocked(const WtsFunctions& wts, DWORD id) {
  LPWSTR buffer = nullptr;
  DWORD bytes = 0;
  if (!wts.querySessionInformation(WTS_CURRENT_SERVER_HANDLE, id, WTS_SESSION_INFO_EX, &buffer, &bytes)) return false;
  const WtsMemory owned(buffer, wts.freeMemory);
  bool locked = false;
  if (buffer && bytes >= sizeof(WtsInfoEx)) {
    const auto* info = reinterpret_cast<const WtsInfoEx*>(buffer);
    locked = info->Level == 1 && LockedByFlags(info->Data.WTSInfoExLevel1.SessionFlags, !IsWindows8OrGreater());
  }
  return locked;
}

std::optional<SessionInfo> QuerySession(const WtsFunctions& wts, DWORD id) {
  LPWSTR buffer = nullptr;
  DWORD bytes = 0;
  if (!wts.querySessionInformation(WTS_CURRENT_SERVER_HANDLE, id, WTSSessionInfo, &buffer, &bytes)) return {};
  const WtsMemory owned(buffer, wts.freeMemory);
  std::optional<SessionInfo> session;
  if (buffer && bytes >= sizeof(WTSINFOW)) {
    const auto* info = reinterpret_cast<const WTSINFOW*>(buffer);
    session = SessionInfo{id,    info->State == WTSActive,     info->UserName[0] != L'\0',
                          false, info->LastInputTime.QuadPart, info->CurrentTime.QuadPart};
  }
  if (session && InUse(*session)) session->locked = QueryLocked(wts, id);
  return session;
}
}  // namespace

std::optional<std::vector<SessionInfo>> Win32SessionSource::Sessions() {
  const WtsFunctions& wts = Wts();
  if (!wts.enumerateSessions || !wts.querySessionInformation || !wts.freeMemory) return std::nullopt;
  PWTS_SESSION_INFOW list = nullptr;
  DWORD count = 0;
  if (!wts.enumerateSessions(WTS_CURRENT_SERVER_HANDLE, 0, 1, &list, &count)) return std::nullopt;
  const WtsMemory owned(list, wts.freeMemory);
  std::vector<SessionInfo> sessions;
  for (DWORD i = 0; i < count; ++i) {
    if (const std::optional<SessionInfo> session = QuerySession(wts, list[i].SessionId)) {
      sessions.push_back(*session);
    } else if (list[i].State == WTSActive) {
      sessions.push_back(UndescribedActiveSession(list[i].SessionId));
    }
  }
  return sessions;
}

std::uint32_t Win32SessionSource::OwnSession() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return session;
}

std::optional<std::uint32_t> Win32LastInput::LastInputTick() {
  LASTINPUTINFO info{sizeof info, 0};
  if (!GetLastInputInfo(&info)) return std::nullopt;
  return info.dwTime;
}

std::uint32_t Win32LastInput::Now() { return GetTickCount(); }

std::optional<ScreenPoint> Win32LastInput::CursorPosition() {
  POINT point;
  if (!GetCursorPos(&point)) return std::nullopt;
  return ScreenPoint{point.x, point.y};
}

}  // namespace sopora
