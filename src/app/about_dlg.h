#pragma once

#include "data/data_paths.h"
#include "framework/dialog.h"

namespace sopora {

// The version box: the version, and the folder the settings and the log
// are kept in (beside the program, or the per-user folder).
class CAboutDlg : public CDialog {
 public:
  explicit CAboutDlg(DataPath dataFolder);

 protected:
  BOOL OnInitDialog() override;

 private:
  DataPath m_dataFolder;
};

}  // namespace sopora
