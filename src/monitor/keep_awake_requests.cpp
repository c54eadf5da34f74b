#include "monitor/keep_awake_requests.h"

namespace sopora {

KeepAwakeRequests::KeepAwakeRequests(ExecutionStateSource& state, const MonitorSettings& settings)
    : m_state(state), m_settings(settings) {}

Activity KeepAwakeRequests::Ask() {
  if (m_settings.Requests != 1) return {};  // not even asked: the designed behaviour
  const std::optional<std::uint32_t> state = m_state.SystemExecutionState();
  if (!state) return {};
  if (*state & ES_DISPLAY_REQUIRED_FLAG) {
    return {Activity::Kind::Busy, IDS_STATUS_DISPLAY_REQUEST, IDS_LOG_DISPLAY_REQUEST};
  }
  if (*state & ES_SYSTEM_REQUIRED_FLAG) {
    return {Activity::Kind::Busy, IDS_STATUS_SYSTEM_REQUEST, IDS_LOG_SYSTEM_REQUEST};
  }
  return {};
}

}  // namespace sopora
