#include "monitor/sound_playing.h"

#include <cstdio>

namespace sopora {

SoundPlaying::SoundPlaying(AudioOutputs& outputs, const MonitorSettings& settings, OperationLog& log)
    : m_outputs(outputs), m_settings(settings), m_log(log) {}

Activity SoundPlaying::Ask() {
  if (m_settings.Requests != 1 || !Ready() || !Audible()) return {};
  return {Activity::Kind::Busy, IDS_STATUS_SOUND_PLAYING, IDS_LOG_SOUND_PLAYING};
}

// Opened when first needed; a failure is told once, and the machine is
// then treated as silent for the rest of the run.
bool SoundPlaying::Ready() {
  if (m_state == State::Closed) {
    if (const std::uint32_t error = m_outputs.Open()) {
      char code[11];
      std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(error));
      m_log.AddLog(LOG_ERROR, Message(IDS_LOG_NO_CORE_AUDIO, {std::string(code)}));
      m_state = State::Unusable;
    } else {
      m_state = State::Stale;
    }
  }
  return m_state != State::Unusable;
}

bool SoundPlaying::Audible() {
  if (m_outputs.Changed() || m_state == State::Stale) {
    const std::optional<std::size_t> count = m_outputs.Enumerate();
    m_outputCount = count.value_or(0);
    m_state = count ? State::Known : State::Stale;
  }
  for (std::size_t i = 0; i < m_outputCount; ++i) {
    const std::optional<float> peak = m_outputs.PeakValue(i);
    if (!peak) m_state = State::Stale;  // gone or failing: look again next tick
    if (peak && *peak > AUDIBLE_PEAK) return true;
  }
  return false;
}

}  // namespace sopora
