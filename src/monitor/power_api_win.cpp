#include "monitor/power_api_win.h"

#include <windows.h>
#include <powrprof.h>

#include <cstddef>
#include <vector>

#include "framework/system_library.h"
#include "framework/text_win.h"
#include "framework/win_handles.h"

namespace sopora {

namespace {
PowerRequestResult ResultOf(BOOL accepted) {
  return {accepted != FALSE, accepted ? 0u : static_cast<std::uint32_t>(GetLastError())};
}

// powrprof.dll from the system folder, looked up when first needed.
// SetSuspendState is the call that works on current Windows (where
// SetSystemPowerState often does nothing); systems without it use the old
// call.
struct PowrprofFunctions {
  decltype(SetSuspendState)* setSuspendState;
  decltype(CallNtPowerInformation)* callNtPowerInformation;
};

const PowrprofFunctions& Powrprof() {
  static const PowrprofFunctions functions = [] {
    const SystemLibrary powrprof(L"powrprof.dll");
    return PowrprofFunctions{powrprof.Find<decltype(SetSuspendState)>("SetSuspendState"),
                             powrprof.Find<decltype(CallNtPowerInformation)>("CallNtPowerInformation")};
  }();
  return functions;
}

// InitiateShutdownW, looked up so that its absence is an answer like any
// other.
decltype(InitiateShutdownW)* FindInitiateShutdown() {
  static const auto function = SystemLibrary(L"advapi32.dll").Find<decltype(InitiateShutdownW)>("InitiateShutdownW");
  return function;
}

// Whether the process token holds the privilege at all, enabled or not: a
// standard user on Windows Server does not hold SeShutdownPrivilege.
bool TokenHoldsPrivilege(const wchar_t* name) {
  LUID luid{};
  if (!LookupPrivilegeValueW(nullptr, name, &luid)) return true;  // cannot tell: as before
  const UniqueKernelHandle token = OpenOwnToken(TOKEN_QUERY);
  if (!token) return true;  // cannot tell: as before
  DWORD bytes = 0;
  GetTokenInformation(token.Get(), TokenPrivileges, nullptr, 0, &bytes);
  std::vector<BYTE> buffer(bytes);
  const bool read = bytes && GetTokenInformation(token.Get(), TokenPrivileges, buffer.data(), bytes, &bytes);
  if (!read) return true;
  const auto* privileges = reinterpret_cast<const TOKEN_PRIVILEGES*>(buffer.data());
  for (DWORD i = 0; i < privileges->PrivilegeCount; ++i) {
    const LUID& held = privileges->Privileges[i].Luid;
    if (held.LowPart == luid.LowPart && held.HighPart == luid.HighPart) return true;
  }
  return false;
}

// MinGW declares the older layout of the record: the bytes current Windows
// names Hiberboot, WakeAlarmPresent and AoAc are its spare2[0..2].
constexpr std::size_t AOAC_OFFSET = 20;
static_assert(offsetof(SYSTEM_POWER_CAPABILITIES, spare2) + 2 == AOAC_OFFSET);
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
  const UniqueKernelHandle token = OpenOwnToken(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY);
  if (!token) return false;
  LUID luid{};
  if (!LookupPrivilegeValueW(nullptr, WidenCp932(name).c_str(), &luid)) return false;
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Luid = luid;
  privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
  // It succeeds with ERROR_NOT_ALL_ASSIGNED when the user does not hold the
  // privilege.
  return AdjustTokenPrivileges(token.Get(), FALSE, &privileges, sizeof privileges, nullptr, nullptr) &&
         GetLastError() == ERROR_SUCCESS;
}

PowerCapabilities Win32PowerApi::QueryCapabilities() {
  PowerCapabilities capabilities;
  capabilities.mayShutDown = TokenHoldsPrivilege(SE_SHUTDOWN_NAME);
  const auto query = Powrprof().callNtPowerInformation;
  SYSTEM_POWER_CAPABILITIES system{};
  if (!query || query(SystemPowerCapabilities, nullptr, 0, &system, sizeof system) != 0) return capabilities;
  capabilities.known = true;
  capabilities.sleepStates = system.SystemS1 || system.SystemS2 || system.SystemS3;
  capabilities.hibernation = system.SystemS4;
  capabilities.hibernationFile = system.HiberFilePresent;
  capabilities.modernStandby = reinterpret_cast<const BYTE*>(&system)[AOAC_OFFSET] != 0;
  // Windows versions that leave that byte alone still answer this.
  POWER_PLATFORM_INFORMATION platform{};
  if (query(PlatformInformation, nullptr, 0, &platform, sizeof platform) == 0 && platform.AoAc) {
    capabilities.modernStandby = true;
  }
  return capabilities;
}

PowerRequestResult Win32PowerApi::Suspend(bool hibernate) {
  if (const auto setSuspendState = Powrprof().setSuspendState) {
    return ResultOf(setSuspendState(hibernate, FALSE, FALSE));
  }
  return ResultOf(SetSystemPowerState(hibernate ? FALSE : TRUE, FALSE));
}

PowerRequestResult Win32PowerApi::ExitSession(std::uint32_t flags, std::uint32_t reason) {
  return ResultOf(ExitWindowsEx(flags, reason));
}

PowerRequestResult Win32PowerApi::StartShutdown(std::uint32_t flags, std::uint32_t reason) {
  const auto initiateShutdown = FindInitiateShutdown();
  const DWORD error =
      initiateShutdown ? initiateShutdown(nullptr, nullptr, 0, flags, reason) : ERROR_CALL_NOT_IMPLEMENTED;
  return {error == ERROR_SUCCESS, error};
}

void Win32PowerApi::StartProcess(const char* commandLine) {
  std::wstring command = WidenCp932(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  // Started and left to run: its handles are not needed.
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    const UniqueKernelHandle thread(process.hThread);
    const UniqueKernelHandle started(process.hProcess);
  }
}

void Win32PowerApi::Beep(std::uint32_t type) { MessageBeep(type); }

std::optional<std::uint32_t> Win32PowerApi::SystemExecutionState() {
  const auto query = Powrprof().callNtPowerInformation;
  EXECUTION_STATE state = 0;
  if (!query || query(::SystemExecutionState, nullptr, 0, &state, sizeof state) != 0) return std::nullopt;
  return state;
}

}  // namespace sopora
