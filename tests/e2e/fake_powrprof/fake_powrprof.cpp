// A stand-in powrprof.dll for the tests, installed where the system's own
// is found (the program loads it from the system folder only). Under Wine
// the power calls cannot be observed; with this one a test scripts what the
// machine can do and how SetSuspendState answers, and reads every call back.
//
// Script: the file named by SOPORA_FAKE_POWRPROF, else fakepowrprof.ini
// beside the program. [Capabilities]: Query (the status the capability
// query returns, 0 success), S1, S2, S3, S4, HiberFile, AoAc (the byte
// current Windows calls AoAc in the capability record) and Platform (AoAc
// of the platform record). [ExecutionState]: Flags, the ES_ flags other
// programs hold (as Windows combines SetThreadExecutionState requests into
// the system's execution state; 0 when absent). [SetSuspendState]: Result
// (1 or 0) and Error (the last error of a refusal). Without a script: a
// desktop that can do everything, with no requests. Every call is appended
// to fakepowrprof.log beside the script.
#include <windows.h>
#include <winternl.h>
#include <powrprof.h>

#include <string>

#include "stand_in_script.h"

namespace {

std::wstring ScriptPath() { return StandInScript(L"SOPORA_FAKE_POWRPROF", L"fakepowrprof.ini"); }

void Log(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  AppendToStandInLog(ScriptPath(), L"fakepowrprof.log", format, args);
  va_end(args);
}

UINT Script(const wchar_t* section, const wchar_t* key, UINT byDefault) {
  return GetPrivateProfileIntW(section, key, byDefault, ScriptPath().c_str());
}

void FillCapabilities(SYSTEM_POWER_CAPABILITIES& capabilities) {
  ZeroMemory(&capabilities, sizeof capabilities);
  capabilities.SystemS1 = Script(L"Capabilities", L"S1", 0) != 0;
  capabilities.SystemS2 = Script(L"Capabilities", L"S2", 0) != 0;
  capabilities.SystemS3 = Script(L"Capabilities", L"S3", 1) != 0;
  capabilities.SystemS4 = Script(L"Capabilities", L"S4", 1) != 0;
  capabilities.SystemS5 = TRUE;
  capabilities.HiberFilePresent = Script(L"Capabilities", L"HiberFile", 1) != 0;
  capabilities.spare2[2] = Script(L"Capabilities", L"AoAc", 0) != 0;  // AoAc in the current layout
}

}  // namespace

extern "C" {

NTSTATUS WINAPI CallNtPowerInformation(POWER_INFORMATION_LEVEL level, PVOID input, ULONG inputLength, PVOID output,
                                       ULONG outputLength) {
  const auto status = static_cast<NTSTATUS>(Script(L"Capabilities", L"Query", 0));
  Log(L"CallNtPowerInformation level=%d input=%ls length=%lu -> %ld", static_cast<int>(level),
      input ? L"given" : L"<null>", outputLength, static_cast<long>(status));
  (void)inputLength;
  if (status != 0) return status;
  if (level == SystemPowerCapabilities && outputLength >= sizeof(SYSTEM_POWER_CAPABILITIES)) {
    FillCapabilities(*static_cast<SYSTEM_POWER_CAPABILITIES*>(output));
  } else if (level == PlatformInformation && outputLength >= sizeof(POWER_PLATFORM_INFORMATION)) {
    static_cast<POWER_PLATFORM_INFORMATION*>(output)->AoAc = Script(L"Capabilities", L"Platform", 0) != 0;
  } else if (level == SystemExecutionState && outputLength >= sizeof(EXECUTION_STATE)) {
    *static_cast<EXECUTION_STATE*>(output) = Script(L"ExecutionState", L"Flags", 0);
  } else {
    return static_cast<NTSTATUS>(0xC0000023L);  // STATUS_BUFFER_TOO_SMALL
  }
  return 0;
}

BOOLEAN WINAPI GetPwrCapabilities(PSYSTEM_POWER_CAPABILITIES capabilities) {
  Log(L"GetPwrCapabilities");
  FillCapabilities(*capabilities);
  return TRUE;
}

BOOLEAN WINAPI SetSuspendState(BOOLEAN hibernate, BOOLEAN force, BOOLEAN wakeupEventsDisabled) {
  const BOOLEAN result = Script(L"SetSuspendState", L"Result", 1) != 0;
  Log(L"SetSuspendState hibernate=%d force=%d wakeupEventsDisabled=%d -> %d", hibernate, force, wakeupEventsDisabled,
      result);
  if (!result) SetLastError(Script(L"SetSuspendState", L"Error", ERROR_NOT_SUPPORTED));
  return result;
}

}  // extern "C"
