// Someone listening to music, a podcast or a lecture without touching the
// machine is using it. Windows' own idle sleep knows this: an audio stream
// holds it through the audio driver's power request, which the execution
// state does not report. So, with the setting Requests on, sound that can be
// heard on an output holds the machine like a program's request; a stream
// that is open but silent (a paused player) holds nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "data/monitor_settings.h"
#include "data/operation_log.h"
#include "monitor/activity.h"

namespace sopora {

// Peak meter readings (linear, 0 to 1) above this are audible: -60 dBFS.
inline constexpr float AUDIBLE_PEAK = 0.001f;

// The machine's active audio outputs and their peak meters (Core Audio).
class AudioOutputs {
 public:
  virtual ~AudioOutputs() = default;
  // Makes the outputs ready to be asked, on the calling thread; 0 when they
  // are, else the failure's code (an HRESULT). Called once.
  virtual std::uint32_t Open() = 0;
  // Outputs came or went since the previous call (Windows says so).
  virtual bool Changed() = 0;
  // Forgets the outputs found before and finds the active ones again: how
  // many meters there are now; nothing when the list cannot be had.
  virtual std::optional<std::size_t> Enumerate() = 0;
  // The current peak of output `index` of the last Enumerate; nothing when
  // the call fails (the output went away).
  virtual std::optional<float> PeakValue(std::size_t index) = 0;
};

// Busy while sound is audible on any output and the setting Requests is 1.
// An output that cannot be read is silent for that tick, and the outputs
// are looked for again at the next one.
class SoundPlaying : public ActivitySource {
 public:
  SoundPlaying(AudioOutputs& outputs, const MonitorSettings& settings, OperationLog& log);
  Activity Ask() override;

 private:
  bool Ready();
  bool Audible();

  AudioOutputs& m_outputs;
  const MonitorSettings& m_settings;
  OperationLog& m_log;
  enum class State { Closed, Unusable, Stale, Known } m_state = State::Closed;
  std::size_t m_outputCount = 0;
};

}  // namespace sopora
