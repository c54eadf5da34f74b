#include "monitor/reboot_countdown.h"

#include "monitor/power_api.h"

namespace sopora {

Message RemainingTime(std::int32_t seconds) { return Message(IDS_REMAINING_SECONDS, {std::to_string(seconds)}); }

void RebootCountdown::OnInitDialog() {
  m_nElapsed = 0;
  m_view.SetProgressRange(0, REBOOT_COUNTDOWN_SECONDS);
  m_view.StartTimer(COUNTDOWN_TIMER_ID, 1000);
  m_view.Beep(BEEP_ASTERISK);
  m_view.SetRemainText(RemainingTime(REBOOT_COUNTDOWN_SECONDS));
}

void RebootCountdown::OnTimer() {
  if (m_ended) return;  // a timer message may still be queued behind the end
  ++m_nElapsed;
  m_view.SetProgressPos(m_nElapsed);
  m_view.SetRemainText(RemainingTime(REBOOT_COUNTDOWN_SECONDS - m_nElapsed));
  if (m_nElapsed >= REBOOT_COUNTDOWN_SECONDS) {
    m_ended = true;
    m_view.EndDialog(DIALOG_RESULT_OK);
  }
}

}  // namespace sopora
