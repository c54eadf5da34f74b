#include "hooklib/SoporaHook.h"

using sopora::ClassifyMouseMessage;
using sopora::MouseActivity;
using sopora::ScreenPoint;
using sopora::WM_INPUT_ACTIVITY;

// One copy for every process the system loads the library into: the hook
// procedures run inside those processes and need the window and the hook
// handles of the installing one.
#define SHARED_BY_ALL_PROCESSES __attribute__((section(".hook"), shared))
HINSTANCE g_hModule SHARED_BY_ALL_PROCESSES = nullptr;
HWND g_hWndNotify SHARED_BY_ALL_PROCESSES = nullptr;
HHOOK g_hKeyboardHook SHARED_BY_ALL_PROCESSES = nullptr;
HHOOK g_hMouseHook SHARED_BY_ALL_PROCESSES = nullptr;

// Per process: the last cursor position reported from this process.
static ScreenPoint s_ptLastMouse = {0, 0};

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH && g_hModule == nullptr) g_hModule = instance;
  return TRUE;
}

CSoporaHook::CSoporaHook(HWND hWnd) {
  g_hWndNotify = hWnd;
  g_hKeyboardHook = SetWindowsHookExW(WH_KEYBOARD, HookKeyBoardProc, g_hModule, 0);
  g_hMouseHook = SetWindowsHookExW(WH_MOUSE, HookMouseProc, g_hModule, 0);
}

CSoporaHook::CSoporaHook(const CSoporaHook&) {}

CSoporaHook& CSoporaHook::operator=(const CSoporaHook&) { return *this; }

CSoporaHook::~CSoporaHook() {
  g_hWndNotify = nullptr;
  if (g_hKeyboardHook) UnhookWindowsHookEx(g_hKeyboardHook);
  if (g_hMouseHook) UnhookWindowsHookEx(g_hMouseHook);
  g_hKeyboardHook = nullptr;
  g_hMouseHook = nullptr;
}

// Both procedures run for every input event of the desktop: one test, at
// most one posted message, nothing that allocates or waits, and the event
// always goes on to the next hook.
LRESULT CALLBACK CSoporaHook::HookKeyBoardProc(int nCode, WPARAM wParam, LPARAM lParam) {
  if (nCode == HC_ACTION) PostMessageW(g_hWndNotify, WM_INPUT_ACTIVITY, 0, 0);
  return CallNextHookEx(g_hKeyboardHook, nCode, wParam, lParam);
}

LRESULT CALLBACK CSoporaHook::HookMouseProc(int nCode, WPARAM wParam, LPARAM lParam) {
  if (nCode == HC_ACTION) {
    const POINT pt = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->pt;
    const ScreenPoint point{pt.x, pt.y};
    switch (ClassifyMouseMessage(static_cast<unsigned>(wParam), point, s_ptLastMouse)) {
      case MouseActivity::Move:
        PostMessageW(g_hWndNotify, WM_INPUT_ACTIVITY, static_cast<WPARAM>(pt.x), static_cast<LPARAM>(pt.y));
        break;
      case MouseActivity::Button:
        PostMessageW(g_hWndNotify, WM_INPUT_ACTIVITY, 0, 0);
        break;
      case MouseActivity::None:
        break;
    }
  }
  return CallNextHookEx(g_hMouseHook, nCode, wParam, lParam);
}
