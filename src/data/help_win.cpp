#include <windows.h>
#include <shellapi.h>

#include "data/data_store.h"

namespace sopora {

void CDataStore::OpenHelp() {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = 0;
  info.hwnd = GetDesktopWindow();
  info.lpVerb = L"open";
  info.lpFile = g_strHelpFile.c_str();
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&info);  // a missing page or viewer shows the shell's own message, if any
}

}  // namespace sopora
