#pragma once

#include "monitor/keep_awake_requests.h"
#include "monitor/power_api.h"

namespace sopora {

// The power seam over kernel32, advapi32, user32 and powrprof; and the
// system's execution state, also from powrprof.
class Win32PowerApi : public PowerApi, public ExecutionStateSource {
 public:
  bool IsNtPlatform() override;
  PowerCapabilities QueryCapabilities() override;
  bool AdjustPrivilege(const char* name, bool enable) override;
  PowerRequestResult Suspend(bool hibernate) override;
  PowerRequestResult ExitSession(std::uint32_t flags, std::uint32_t reason) override;
  PowerRequestResult StartShutdown(std::uint32_t flags, std::uint32_t reason) override;
  void StartProcess(const char* commandLine) override;
  void Beep(std::uint32_t type) override;
  std::optional<std::uint32_t> SystemExecutionState() override;
};

}  // namespace sopora
