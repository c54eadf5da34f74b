#include "data/win32_services.h"

#include "monitor/window_source_win.h"

namespace sopora {

const DataStoreServices& Win32DataStoreServices() {
  static Win32FileSystem files;
  static Win32Notifier notifier;
  static Win32WindowSource windows;
  static const DataStoreServices services{files, notifier, windows};
  return services;
}

}  // namespace sopora
