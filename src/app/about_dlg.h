#pragma once

#include "framework/dialog.h"
#include "res/resource.h"

namespace sopora {

// The version box of the hidden frame's help menu.
class CAboutDlg : public CDialog {
 public:
  CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
};

}  // namespace sopora
