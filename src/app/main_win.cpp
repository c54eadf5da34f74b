// Sopora.exe: the idle power manager in the notification area.
#include <windows.h>

#include "app/sopora_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  // Libraries loaded from now on come from the system folder only: the
  // program's own folder may be writable by the user, and a library planted
  // there would run in Sopora and, through the hooks, in every program.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  sopora::CSoporaApp app;
  if (!app.InitInstance()) return 0;
  return app.Run();
}
