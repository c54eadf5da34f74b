// Sopora.exe: the idle power manager in the notification area.
#include <windows.h>

#include "app/sopora_app.h"
#include "framework/system_library.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Libraries loaded from now on come from the system folder only: the
  // program's own folder may be writable by the user, and a library planted
  // there would run in Sopora and, through the hooks, in every program.
  // Where Windows cannot restrict the search (Windows 7 without KB2533623),
  // SystemLibrary names each library by its full path instead.
  if (const auto setDefaultDllDirectories = sopora::FindSetDefaultDllDirectories()) {
    setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  sopora::CSoporaApp app;
  if (!app.InitInstance()) return 0;
  return app.Run();
}
