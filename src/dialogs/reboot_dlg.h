// CRebootDlg: the restart confirmation with its 30-second countdown.
#pragma once

#include "framework/dialog.h"
#include "monitor/power_controller.h"
#include "monitor/reboot_countdown.h"

namespace sopora {

class CRebootDlg : public CDialog, private CountdownView {
 public:
  CRebootDlg();

 protected:
  BOOL OnInitDialog() override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void SetProgressRange(int low, int high) override;
  void SetProgressPos(int position) override;
  void SetRemainText(const Message& text) override;
  void StartTimer(unsigned id, unsigned periodMs) override;
  void Beep(std::uint32_t type) override;
  void EndDialog(int result) override;

  RebootCountdown m_countdown;
};

// The restart after resume is confirmed through the countdown dialog.
class RebootConfirmation : public RebootPrompt {
 public:
  bool ConfirmReboot() override;
};

}  // namespace sopora
