// CLogDlg: the operation log viewer. It shows the program's log, newest
// line on top, and receives every new line whether its window is shown or
// not; the log itself lives in its LogBook.
#pragma once

#include <functional>

#include "data/operation_log.h"
#include "framework/dialog.h"
#include "framework/win_handles.h"

namespace sopora {

class CLogDlg : public CDialog, public LogView {
 public:
  // `showHistory` opens the power saving history (the 実績 button).
  CLogDlg(LogBook& log, std::function<void()> showHistory);

  void ShowLogItems(const std::vector<LogRecord>& records) override;
  // Puts one line at the top of the list, keeping at most 1000 lines.
  void InsertLogItem(const LogRecord& record) override;

 protected:
  BOOL OnInitDialog() override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND m_list = nullptr;  // control 1016
  HICON m_hIcon;          // shared resource icon, not destroyed
  LogBook& m_log;
  std::function<void()> m_showHistory;
  UniqueImageList m_imageList;
};

}  // namespace sopora
