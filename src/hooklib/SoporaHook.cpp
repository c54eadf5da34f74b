#include "hooklib/SoporaHook.h"

#include "hooklib/session_listeners.h"

using sopora::ClassifyMouseMessage;
using sopora::MouseActivity;
using sopora::ScreenPoint;
using sopora::WM_INPUT_ACTIVITY;

// One copy for every process the system loads the library into: the hook
// procedures run inside those processes and need to know whom to tell.
// Any of them can write it, so nothing in it is trusted beyond where a
// report goes: the module and hook handles are the installing process's own.
#define SHARED_BY_ALL_PROCESSES __attribute__((section(".hook"), shared))
sopora::SessionListeners g_listeners SHARED_BY_ALL_PROCESSES = {};

// Per process.
static HINSTANCE s_hModule = nullptr;          // this library
static DWORD s_session = 0;                    // the session this process runs in
static ScreenPoint s_ptLastMouse = {0, 0};     // the last cursor position reported from here
static HWND s_hWndNotify = nullptr;            // installing process only: its window
static HHOOK s_hKeyboardHook = nullptr;        // installing process only
static HHOOK s_hMouseHook = nullptr;           // installing process only

// The library is built without a C run-time, so this is its entry point.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    s_hModule = instance;
    ProcessIdToSessionId(GetCurrentProcessId(), &s_session);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

CSoporaHook::CSoporaHook(HWND hWnd) {
  s_hWndNotify = hWnd;
  sopora::AddListener(g_listeners, s_session, reinterpret_cast<std::uintptr_t>(hWnd));
  s_hKeyboardHook = SetWindowsHookExW(WH_KEYBOARD, HookKeyBoardProc, s_hModule, 0);
  s_hMouseHook = SetWindowsHookExW(WH_MOUSE, HookMouseProc, s_hModule, 0);
}

CSoporaHook::CSoporaHook(const CSoporaHook&) {}

CSoporaHook& CSoporaHook::operator=(const CSoporaHook&) { return *this; }

// The hooks go first, so no procedure is left running for a window that is
// no longer listening.
CSoporaHook::~CSoporaHook() {
  if (s_hKeyboardHook) UnhookWindowsHookEx(s_hKeyboardHook);
  if (s_hMouseHook) UnhookWindowsHookEx(s_hMouseHook);
  s_hKeyboardHook = nullptr;
  s_hMouseHook = nullptr;
  sopora::RemoveListener(g_listeners, s_session, reinterpret_cast<std::uintptr_t>(s_hWndNotify));
  s_hWndNotify = nullptr;
}

namespace {
// Posts to this session's Sopora. Never to a null window: that would post
// the message to the hooked program's own thread.
void Report(WPARAM wParam, LPARAM lParam) {
  const HWND listener = reinterpret_cast<HWND>(sopora::ListenerOf(g_listeners, s_session));
  if (listener) PostMessageW(listener, WM_INPUT_ACTIVITY, wParam, lParam);
}
}  // namespace

// Both procedures run for every input event of the desktop: one test, at
// most one posted message, nothing that allocates or waits, and the event
// always goes on to the next hook.
LRESULT CALLBACK CSoporaHook::HookKeyBoardProc(int nCode, WPARAM wParam, LPARAM lParam) {
  if (nCode == HC_ACTION) Report(0, 0);
  return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

LRESULT CALLBACK CSoporaHook::HookMouseProc(int nCode, WPARAM wParam, LPARAM lParam) {
  if (nCode == HC_ACTION) {
    const POINT pt = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->pt;
    const ScreenPoint point{pt.x, pt.y};
    switch (ClassifyMouseMessage(static_cast<unsigned>(wParam), point, s_ptLastMouse)) {
      case MouseActivity::Move:
        Report(static_cast<WPARAM>(pt.x), static_cast<LPARAM>(pt.y));
        break;
      case MouseActivity::Button:
        Report(0, 0);
        break;
      case MouseActivity::None:
        break;
    }
  }
  return CallNextHookEx(nullptr, nCode, wParam, lParam);
}
