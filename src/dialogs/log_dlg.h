// CLogDlg: the operation log viewer, and the log itself: every AddLog of
// the program lands in its store (and so in Sopora.dat) and at the top of
// its list, whether the window is shown or not.
#pragma once

#include "data/data_store.h"
#include "data/operation_log.h"
#include "framework/dialog.h"
#include "framework/win_handles.h"

namespace sopora {

class CLogDlg : public CDialog, public OperationLog {
 public:
  explicit CLogDlg(const DataFilePaths& paths);

  void AddLog(std::int32_t kind, std::string text) override;
  // Puts one line at the top of the list, keeping at most 1000 lines.
  void InsertLogItem(const LogRecord& record);

 protected:
  BOOL OnInitDialog() override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  HWND m_list = nullptr;  // control 1016
  HICON m_hIcon;          // shared resource icon, not destroyed
  CDataStore m_store;
  UniqueImageList m_imageList;
};

// The local time in the log's layout.
SystemTime LocalTime();

}  // namespace sopora
