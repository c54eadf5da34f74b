#include "monitor/power_api_win.h"

#include <windows.h>

#include "framework/system_library.h"
#include "framework/text_win.h"

namespace sopora {

namespace {
PowerRequestResult ResultOf(BOOL accepted) {
  return {accepted != FALSE, accepted ? 0u : static_cast<std::uint32_t>(GetLastError())};
}

// SetSuspendState is the call that works on current Windows (where
// SetSystemPowerState often does nothing); powrprof is loaded when first
// needed, and systems without it use the old call.
using SetSuspendStateFunction = BOOLEAN WINAPI(BOOLEAN hibernate, BOOLEAN force, BOOLEAN wakeupEventsDisabled);

SetSuspendStateFunction* FindSetSuspendState() {
  static SetSuspendStateFunction* const function =
      SystemLibrary(L"powrprof.dll").Find<SetSuspendStateFunction>("SetSuspendState");
  return function;
}
}  // namespace

bool Win32PowerApi::IsNtPlatform() {
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&version)) return false;
#pragma GCC diagnostic pop
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool Win32PowerApi::AdjustPrivilege(const char* name, bool enable) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
  LUID luid{};
  if (!LookupPrivilegeValueW(nullptr, WidenCp932(name).c_str(), &luid)) {
    CloseHandle(token);
    return false;
  }
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid = luid;
  privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, nullptr);  // result not needed
  CloseHandle(token);
  return true;
}

PowerRequestResult Win32PowerApi::Suspend(bool hibernate) {
  if (SetSuspendStateFunction* const setSuspendState = FindSetSuspendState()) {
    return ResultOf(setSuspendState(hibernate, FALSE, FALSE));
  }
  return ResultOf(SetSystemPowerState(hibernate ? FALSE : TRUE, FALSE));
}

PowerRequestResult Win32PowerApi::ExitSession(std::uint32_t flags) { return ResultOf(ExitWindowsEx(flags, 0)); }

void Win32PowerApi::StartProcess(const char* commandLine) {
  std::wstring command = WidenCp932(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

void Win32PowerApi::Beep(std::uint32_t type) { MessageBeep(type); }

}  // namespace sopora
