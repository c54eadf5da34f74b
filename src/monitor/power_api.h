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
inline constexpr std::uint32_t BEEP_DEFAULT = 0;           // MessageBeep(0)
inline constexpr std::uint32_t BEEP_ASTERISK = 0x40;       // MB_ICONASTERISK

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
  // when the token or the privilege cannot be had.
  virtual bool AdjustPrivilege(const char* name, bool enable) = 0;
  // Standby (hibernate false) or hibernation; returns after resume or refusal.
  virtual PowerRequestResult Suspend(bool hibernate) = 0;
  virtual PowerRequestResult ExitSession(std::uint32_t flags) = 0;
  virtual void StartProcess(const char* commandLine) = 0;
  virtual void Beep(std::uint32_t type) = 0;
};

}  // namespace sopora
