// What this MinGW's wtsapi32.h lacks of WTSQuerySessionInformationW's
// extended class (Windows 7 and later), as Microsoft documents it.
#pragma once

#include <windows.h>
#include <wtsapi32.h>

namespace sopora {

inline constexpr auto WTS_SESSION_INFO_EX = static_cast<WTS_INFO_CLASS>(25);  // WTSSessionInfoEx

struct WtsInfoExLevel1 {  // WTSINFOEX_LEVEL1_W
  ULONG SessionId;
  WTS_CONNECTSTATE_CLASS SessionState;
  LONG SessionFlags;
  WCHAR WinStationName[WINSTATIONNAME_LENGTH + 1];
  WCHAR UserName[USERNAME_LENGTH + 1];
  WCHAR DomainName[DOMAIN_LENGTH + 1];
  LARGE_INTEGER LogonTime;
  LARGE_INTEGER ConnectTime;
  LARGE_INTEGER DisconnectTime;
  LARGE_INTEGER LastInputTime;
  LARGE_INTEGER CurrentTime;
  DWORD IncomingBytes;
  DWORD OutgoingBytes;
  DWORD IncomingFrames;
  DWORD OutgoingFrames;
  DWORD IncomingCompressedBytes;
  DWORD OutgoingCompressedBytes;
};

struct WtsInfoEx {  // WTSINFOEXW: Level is 1, the only level there is
  DWORD Level;
  union {
    WtsInfoExLevel1 WTSInfoExLevel1;
  } Data;
};

}  // namespace sopora
