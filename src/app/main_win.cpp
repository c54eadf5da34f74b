// Sopora.exe: the idle power manager in the notification area.
#include <windows.h>

#include "app/sopora_app.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  sopora::CSoporaApp app;
  if (!app.InitInstance()) return 0;
  return app.Run();
}
