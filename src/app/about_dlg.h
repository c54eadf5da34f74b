#pragma once

#include "framework/dialog.h"
#include "res/resource.h"

// The version box of the hidden frame's help menu.
class CAboutDlg : public CDialog {
 public:
  CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
};
