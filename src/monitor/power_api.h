// The platform calls of the power transition.
#pragma once

#include <cstdint>

#include "monitor/power_capabilities.h"

namespace sopora {

inline constexpr std::uint32_t EWX_REBOOT_FORCE = 0x06;  // EWX_REBOOT | EWX_FORCE
// EWX_POWEROFF | EWX_FORCEIFHUNG: only programs that hang are closed; one
// that asks to save a document stops the shutdown, so no unsaved work of a
// user who stepped away is lost.
inline constexpr std::uint32_t EWX_POWEROFF_FORCEIFHUNG = 0x18;
// InitiateShutdownW's SHUTDOWN_POWEROFF, without SHUTDOWN_FORCE_OTHERS or
// SHUTDOWN_FORCE_SELF: neither other signed-in users nor programs with
// unsaved work are forced.
inline constexpr std::uint32_t SHUTDOWN_POWEROFF_ONLY = 0x08;
// SHTDN_REASON_FLAG_PLANNED | SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER:
// Windows records a reason of 0 as an unplanned shutdown.
inline constexpr std::uint32_t PLANNED_SHUTDOWN_REASON = 0x80000000;
// The answers of the shutdown calls that decide what follows.
inline constexpr std::uint32_t ERROR_NOT_IMPLEMENTED_CODE = 120;    // ERROR_CALL_NOT_IMPLEMENTED (Wine)
inline constexpr std::uint32_t ERROR_SHUTDOWN_PENDING_CODE = 1115;  // ERROR_SHUTDOWN_IN_PROGRESS
inline constexpr std::uint32_t ERROR_OTHER_USERS_SIGNED_IN = 1191;  // ERROR_SHUTDOWN_USERS_LOGGED_ON
inline constexpr std::uint32_t BEEP_DEFAULT = 0;                    // MessageBeep(0)
inline constexpr std::uint32_t BEEP_ASTERISK = 0x40;                // MB_ICONASTERISK

// Whether the platform took a request; `error` is its error code otherwise.
struct PowerRequestResult {
  bool accepted;
  std::uint32_t error;
};

class PowerApi {
 public:
  virtual ~PowerApi() = default;
  virtual bool IsNtPlatform() = 0;
  // What the machine can do; `known` is false when it cannot be asked.
  virtual PowerCapabilities QueryCapabilities() = 0;
  // Opens the process token, looks the privilege up and adjusts it; false
  // when the token or the privilege cannot be had, or the user does not
  // hold it.
  virtual bool AdjustPrivilege(const char* name, bool enable) = 0;
  // Standby (hibernate false) or hibernation; returns after resume or refusal.
  virtual PowerRequestResult Suspend(bool hibernate) = 0;
  virtual PowerRequestResult ExitSession(std::uint32_t flags, std::uint32_t reason) = 0;
  // InitiateShutdownW on this machine, at once; ERROR_CALL_NOT_IMPLEMENTED
  // where the system lacks it.
  virtual PowerRequestResult StartShutdown(std::uint32_t flags, std::uint32_t reason) = 0;
  virtual void StartProcess(const char* commandLine) = 0;
  virtual void Beep(std::uint32_t type) = 0;
};

}  // namespace sopora
