// Programs that ask Windows to keep the machine awake (a video player, a
// presentation, a download) set the system's execution state. With the
// setting Requests on, Sopora honours those requests as Windows' own idle
// sleep does. Windows reports this way the requests made through
// SetThreadExecutionState; newer power requests (PowerSetRequest) may not
// show here.
#pragma once

#include <cstdint>
#include <optional>

#include "data/monitor_settings.h"
#include "monitor/activity.h"

namespace sopora {

inline constexpr std::uint32_t ES_SYSTEM_REQUIRED_FLAG = 0x00000001;
inline constexpr std::uint32_t ES_DISPLAY_REQUIRED_FLAG = 0x00000002;

class ExecutionStateSource {
 public:
  virtual ~ExecutionStateSource() = default;
  // The system's execution state (ES_ flags); nothing when it cannot be read.
  virtual std::optional<std::uint32_t> SystemExecutionState() = 0;
};

// Busy while another program requires the display or the system and the
// setting Requests is 1.
class KeepAwakeRequests : public ActivitySource {
 public:
  KeepAwakeRequests(ExecutionStateSource& state, const MonitorSettings& settings);
  Activity Ask() override;

 private:
  ExecutionStateSource& m_state;
  const MonitorSettings& m_settings;
};

}  // namespace sopora
