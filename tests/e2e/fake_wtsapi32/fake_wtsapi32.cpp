// A stand-in wtsapi32.dll for the tests, installed where the system's own is
// found and chosen for Sopora.exe only (Wine's own programs keep Wine's).
// Wine has one session; with this one a test scripts the sessions of a
// Windows machine with Remote Desktop or fast user switching.
//
// Script: the file named by SOPORA_FAKE_WTSAPI, else fakewtsapi.ini beside
// the program, read at every call. [Sessions] Count=n, then [Session0] ...
// [Session<n-1>]: Id (a number, or "own" for the caller's own session),
// State (a WTS_CONNECTSTATE_CLASS number, 0 = WTSActive), User (the user
// name, empty for none), LastInput (100 ns units since 1601, as Windows
// counts, or "unknown" for 0, or "current" for the current time), Locked
// (1; else unknown), Query ("fail": listed, not described). Without a
// script: the caller's own session alone, active, its input time the
// current one, as Windows reports a console session. Every call is
// appended to fakewtsapi.log beside the script.
#include <windows.h>
#include <versionhelpers.h>
#include <wtsapi32.h>

#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "monitor/wts_info_ex_win.h"
#include "stand_in_script.h"

namespace {

std::wstring ScriptPath() { return StandInScript(L"SOPORA_FAKE_WTSAPI", L"fakewtsapi.ini"); }

void Log(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  AppendToStandInLog(ScriptPath(), L"fakewtsapi.log", format, args);
  va_end(args);
}

std::wstring Text(const std::wstring& section, const wchar_t* key, const wchar_t* byDefault) {
  wchar_t value[256] = {};
  GetPrivateProfileStringW(section.c_str(), key, byDefault, value, 256, ScriptPath().c_str());
  return value;
}

DWORD OwnSession() {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return session;
}

struct Session {
  DWORD id;
  WTS_CONNECTSTATE_CLASS state;
  std::wstring user;
  std::wstring lastInput;
  std::wstring locked;
  bool described;
};

std::vector<Session> Sessions() {
  if (GetFileAttributesW(ScriptPath().c_str()) == INVALID_FILE_ATTRIBUTES) {
    return {{OwnSession(), WTSActive, L"user", L"current", L"", true}};
  }
  std::vector<Session> sessions;
  const UINT count = GetPrivateProfileIntW(L"Sessions", L"Count", 0, ScriptPath().c_str());
  for (UINT i = 0; i < count; ++i) {
    const std::wstring section = L"Session" + std::to_wstring(i);
    const std::wstring id = Text(section, L"Id", L"own");
    sessions.push_back({id == L"own" ? OwnSession() : static_cast<DWORD>(std::wcstoul(id.c_str(), nullptr, 10)),
                        static_cast<WTS_CONNECTSTATE_CLASS>(std::wcstol(Text(section, L"State", L"0").c_str(), nullptr, 10)),
                        Text(section, L"User", L""), Text(section, L"LastInput", L"current"),
                        Text(section, L"Locked", L""), Text(section, L"Query", L"") != L"fail"});
  }
  return sessions;
}

LONGLONG Now() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return static_cast<LONGLONG>((ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime);
}

}  // namespace

extern "C" {

// As Windows: one entry per session, in a block the caller frees with
// WTSFreeMemory.
BOOL WINAPI WTSEnumerateSessionsW(HANDLE, DWORD, DWORD, PWTS_SESSION_INFOW* list, DWORD* count) {
  const std::vector<Session> sessions = Sessions();
  auto* out = static_cast<PWTS_SESSION_INFOW>(
      HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(WTS_SESSION_INFOW) * (sessions.size() + 1)));
  for (std::size_t i = 0; i < sessions.size(); ++i) {
    out[i].SessionId = sessions[i].id;
    out[i].State = sessions[i].state;
  }
  *list = out;
  *count = static_cast<DWORD>(sessions.size());
  Log(L"WTSEnumerateSessionsW -> %lu", *count);
  return TRUE;
}

// As Windows for WTSSessionInfo: the state, the user name (empty at a
// sign-in screen), the last input time (0 where Windows keeps none; the
// current time for the console session) and the current time; for
// WTSSessionInfoEx the lock flags, swapped on Windows 7 (Wine's default).
BOOL WINAPI WTSQuerySessionInformationW(HANDLE, DWORD id, WTS_INFO_CLASS kind, LPWSTR* buffer, DWORD* bytes) {
  if (kind != WTSSessionInfo && kind != sopora::WTS_SESSION_INFO_EX) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  for (const Session& session : Sessions()) {
    if (session.id != id) continue;
    if (!session.described) break;
    if (kind == sopora::WTS_SESSION_INFO_EX) {
      using InfoEx = sopora::WtsInfoEx;
      auto* info = static_cast<InfoEx*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(InfoEx)));
      info->Level = 1;
      info->Data.WTSInfoExLevel1.SessionFlags = session.locked == L"1" ? !IsWindows8OrGreater() : -1;
      *buffer = reinterpret_cast<LPWSTR>(info);
      *bytes = sizeof(InfoEx);
      return TRUE;
    }
    auto* info = static_cast<WTSINFOW*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(WTSINFOW)));
    info->State = session.state;
    info->SessionId = id;
    lstrcpynW(info->UserName, session.user.c_str(), USERNAME_LENGTH + 1);
    info->CurrentTime.QuadPart = Now();
    info->LastInputTime.QuadPart = session.lastInput == L"unknown"   ? 0
                                   : session.lastInput == L"current" ? info->CurrentTime.QuadPart
                                                                     : _wcstoi64(session.lastInput.c_str(), nullptr, 10);
    *buffer = reinterpret_cast<LPWSTR>(info);
    *bytes = sizeof(WTSINFOW);
    Log(L"WTSQuerySessionInformationW %lu -> state %d user '%ls' input %lld", id, info->State, info->UserName,
        info->LastInputTime.QuadPart);
    return TRUE;
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return FALSE;
}

void WINAPI WTSFreeMemory(PVOID memory) { HeapFree(GetProcessHeap(), 0, memory); }

}  // extern "C"
