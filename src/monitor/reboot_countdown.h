// The restart confirmation's countdown: 30 one-second steps, then the
// restart goes ahead unless the user cancelled.
#pragma once

#include "text/messages.h"

#include <cstdint>
#include <string>

namespace sopora {

inline constexpr std::int32_t REBOOT_COUNTDOWN_SECONDS = 30;
inline constexpr unsigned COUNTDOWN_TIMER_ID = 1000;
inline constexpr int DIALOG_RESULT_OK = 1;

// The dialog's controls and its own timer.
class CountdownView {
 public:
  virtual ~CountdownView() = default;
  virtual void SetProgressRange(int low, int high) = 0;
  virtual void SetProgressPos(int position) = 0;
  virtual void SetRemainText(const Message& text) = 0;
  virtual void StartTimer(unsigned id, unsigned periodMs) = 0;
  virtual void Beep(std::uint32_t type) = 0;
  virtual void EndDialog(int result) = 0;
};

class RebootCountdown {
 public:
  explicit RebootCountdown(CountdownView& view) : m_view(view) {}

  void OnInitDialog();
  void OnTimer();

  std::int32_t m_nElapsed = 0;  // seconds since the dialog opened

 private:
  CountdownView& m_view;
  bool m_ended = false;
};

// "残り時間【n】秒".
Message RemainingTime(std::int32_t seconds);

}  // namespace sopora
