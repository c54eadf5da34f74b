#include <windows.h>

#include "data/win32_services.h"
#include "framework/text_win.h"

namespace sopora {

void Win32Notifier::ShowWarning(const std::string& text) {
  // Task-modal: the program's own windows wait until the user has read it.
  MessageBoxW(nullptr, WidenCp932(text).c_str(), L"Sopora", MB_OK | MB_ICONWARNING | MB_TASKMODAL | MB_SETFOREGROUND);
}

}  // namespace sopora
