#include "app/about_dlg.h"

#include "res/resource.h"

namespace sopora {

CAboutDlg::CAboutDlg(DataPath dataFolder) : CDialog(IDD_ABOUTBOX), m_dataFolder(std::move(dataFolder)) {}

BOOL CAboutDlg::OnInitDialog() {
  SetDlgItemTextW(m_hWnd, IDC_ABOUT_DATA_FOLDER, m_dataFolder.c_str());
  return TRUE;
}

}  // namespace sopora
