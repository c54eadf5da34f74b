#include "data/notifier_win.h"

#include <windows.h>

#include "framework/ui_language_win.h"

namespace sopora {

void Win32Notifier::ShowWarning(const Message& message) {
  // Task-modal: the program's own windows wait until the user has read it.
  MessageBoxW(nullptr, UiMessage(message).c_str(), UiString(IDS_APP_TITLE).c_str(),
              MB_OK | MB_ICONWARNING | MB_TASKMODAL | MB_SETFOREGROUND);
}

Notifier& Win32MessageBox() {
  static Win32Notifier notifier;
  return notifier;
}

}  // namespace sopora
