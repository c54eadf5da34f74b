#include "monitor/power_api_win.h"

#include <windows.h>
#include <powrprof.h>

#include <cstddef>

#include "framework/system_library.h"
#include "framework/text_win.h"

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

PowerCapabilities Win32PowerApi::QueryCapabilities() {
  const auto query = Powrprof().callNtPowerInformation;
  SYSTEM_POWER_CAPABILITIES system{};
  if (!query || query(SystemPowerCapabilities, nullptr, 0, &system, sizeof system) != 0) return {};  // unknown
  PowerCapabilities capabilities;
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

std::optional<std::uint32_t> Win32PowerApi::SystemExecutionState() {
  const auto query = Powrprof().callNtPowerInformation;
  EXECUTION_STATE state = 0;
  if (!query || query(::SystemExecutionState, nullptr, 0, &state, sizeof state) != 0) return std::nullopt;
  return state;
}

}  // namespace sopora
