#include "data/win32_services.h"

namespace sopora {

FileSystem& Win32Files() {
  static Win32FileSystem files;
  return files;
}

Notifier& Win32MessageBox() {
  static Win32Notifier notifier;
  return notifier;
}

}  // namespace sopora
