// Drives the Sopora of its own Wine prefix from outside, for a scenario
// that runs a second Sopora in another prefix, where the test program's
// windows and Sopora's cannot see each other: clicks the tray icon
// `clicks` times (each click pauses or resumes, one log line each) and
// then chooses 終了.
//
// sopora_poke <clicks>; exit code 0 once that is done, 1 when no Sopora
// window turns up.
#include <windows.h>

#include <cwchar>
#include <cstdlib>

#include "app/tray_icon.h"
#include "res/resource.h"

int wmain(int argc, wchar_t** argv) {
  const int clicks = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 0;
  HWND frame = nullptr;
  for (int wait = 0; wait < 600 && !(frame = FindWindowW(L"SoporaFrame", nullptr)); ++wait) Sleep(50);
  if (!frame) return 1;
  for (int i = 0; i < clicks; ++i) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(frame, sopora::WM_TRAY_NOTIFY, sopora::TRAY_ICON_ID, WM_LBUTTONUP, SMTO_NORMAL, 20000,
                        &ignored);
  }
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(frame, WM_COMMAND, ID_TRAY_EXIT, 0, SMTO_NORMAL, 20000, &ignored);
  return 0;
}
