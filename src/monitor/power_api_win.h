#pragma once

#include "monitor/power_api.h"

namespace sopora {

// The power seam over kernel32, advapi32, user32 and powrprof.
class Win32PowerApi : public PowerApi {
 public:
  bool IsNtPlatform() override;
  PowerCapabilities QueryCapabilities() override;
  bool AdjustPrivilege(const char* name, bool enable) override;
  PowerRequestResult Suspend(bool hibernate) override;
  PowerRequestResult ExitSession(std::uint32_t flags) override;
  void StartProcess(const char* commandLine) override;
  void Beep(std::uint32_t type) override;
};

}  // namespace sopora
