#include "hooklib/SoporaHook.h"

#include "hooklib/listener_record.h"

using sopora::ClassifyMouseMessage;
using sopora::ListenerRecord;
using sopora::MouseActivity;
using sopora::ScreenPoint;
using sopora::WM_INPUT_ACTIVITY;

// All state is each process's own: the library has no shared section that
// the programs it is mapped into could write. Whom to tell is read from
// the mapping Sopora.exe keeps for its session.
static HINSTANCE s_hModule = nullptr;          // this library
static ScreenPoint s_ptLastMouse = {0, 0};     // the last cursor position reported from here
static HHOOK s_hKeyboardHook = nullptr;        // installing process only
static HHOOK s_hMouseHook = nullptr;           // installing process only

// The listener this process last read. Hook procedures of several threads
// may use it at once: a torn pair only fails the check below and leads to
// one more read.
static std::atomic<std::uint32_t> s_listenerWindow{0};
static std::atomic<std::uint32_t> s_listenerProcess{0};

// The library is built without a C run-time, so this is its entry point.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    s_hModule = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

namespace {
HWND WindowOf(std::uint32_t window) { return static_cast<HWND>(LongToHandle(static_cast<LONG>(window))); }

// The listener's window while it still belongs to the process that
// published it; null when there is none, or it has gone (a window handle
// of an ended Sopora may since name another program's window).
HWND LiveListener(std::uint32_t window, std::uint32_t process) {
  if (!window || !process) return nullptr;
  DWORD owner = 0;
  GetWindowThreadProcessId(WindowOf(window), &owner);
  return owner == process ? WindowOf(window) : nullptr;
}

// Reads the listener from the session's mapping and closes it again at
// once: a view kept open here would keep the mapping alive after Sopora
// ends, and a Sopora started again could then not create it afresh.
void ReadListener() {
  std::uint32_t window = 0, process = 0;
  if (const HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, sopora::LISTENER_MAPPING_NAME)) {
    if (const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, sizeof(ListenerRecord))) {
      const auto* record = static_cast<const ListenerRecord*>(view);
      window = record->window.load();
      process = record->processId.load();
      UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
  }
  s_listenerProcess.store(process);
  s_listenerWindow.store(window);
}

// Posts to this session's Sopora. Never to a null window: that would post
// the message to the hooked program's own thread.
void Report(WPARAM wParam, LPARAM lParam) {
  HWND listener = LiveListener(s_listenerWindow.load(), s_listenerProcess.load());
  if (!listener) {
    ReadListener();
    listener = LiveListener(s_listenerWindow.load(), s_listenerProcess.load());
  }
  if (listener) PostMessageW(listener, WM_INPUT_ACTIVITY, wParam, lParam);
}
}  // namespace

// The installing process knows its listener already; every other process
// reads it when its first report is due.
CSoporaHook::CSoporaHook(HWND hWnd) {
  DWORD process = 0;
  GetWindowThreadProcessId(hWnd, &process);
  s_listenerProcess.store(process);
  s_listenerWindow.store(static_cast<std::uint32_t>(HandleToUlong(hWnd)));
  s_hKeyboardHook = SetWindowsHookExW(WH_KEYBOARD, HookKeyBoardProc, s_hModule, 0);
  s_hMouseHook = SetWindowsHookExW(WH_MOUSE, HookMouseProc, s_hModule, 0);
}

CSoporaHook::CSoporaHook(const CSoporaHook&) {}

CSoporaHook& CSoporaHook::operator=(const CSoporaHook&) { return *this; }

CSoporaHook::~CSoporaHook() {
  if (s_hKeyboardHook) UnhookWindowsHookEx(s_hKeyboardHook);
  if (s_hMouseHook) UnhookWindowsHookEx(s_hMouseHook);
  s_hKeyboardHook = nullptr;
  s_hMouseHook = nullptr;
}

// Both procedures run for every input event of the desktop: one check that
// the known listener still lives (the mapping is read only when it does
// not), at most one posted message, nothing that waits, and the event
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
