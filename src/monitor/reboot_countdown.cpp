#include "monitor/reboot_countdown.h"

#include <cstdio>

#include "monitor/power_api.h"

namespace sopora {

std::string FormatRemainingTime(std::int32_t seconds) {
  char text[64];
  std::snprintf(text, sizeof text, "残り時間【%d】秒", static_cast<int>(seconds));
  return text;
}

void RebootCountdown::OnInitDialog() {
  m_nElapsed = 0;
  m_view.SetProgressRange(0, REBOOT_COUNTDOWN_SECONDS);
  m_view.StartTimer(COUNTDOWN_TIMER_ID, 1000);
  m_view.Beep(BEEP_ASTERISK);
  m_view.SetRemainText(FormatRemainingTime(REBOOT_COUNTDOWN_SECONDS));
}

void RebootCountdown::OnTimer() {
  if (m_ended) return;  // a timer message may still be queued behind the end
  ++m_nElapsed;
  const std::string text = FormatRemainingTime(REBOOT_COUNTDOWN_SECONDS - m_nElapsed);
  m_view.SetProgressPos(m_nElapsed);
  m_view.SetRemainText(text);
  if (m_nElapsed >= REBOOT_COUNTDOWN_SECONDS) {
    m_ended = true;
    m_view.EndDialog(DIALOG_RESULT_OK);
  }
}

}  // namespace sopora
