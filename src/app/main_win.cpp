// Program entry: builds the data-file paths from the executable's folder,
// loads the settings and the operation log, and ends.
#include <windows.h>

#include "data/monitor_settings.h"
#include "data/win32_services.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  CDataStore store(Win32DataStoreServices());
  Win32IniStore ini;
  const MonitorSettings settings = ReadMonitorSettings(ini);
  store.LoadLog();
  return settings.Interval > 0 ? 0 : 1;
}
