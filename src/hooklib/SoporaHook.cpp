#include "hooklib/SoporaHook.h"

#include <atomic>
#include <optional>

#include "hooklib/listener_record.h"
#include "hooklib/report_limiter.h"

using sopora::HookPost;
using sopora::HookReporter;
using sopora::ListenerRecord;

// All state is each process's own: the library has no shared section that
// the programs it is mapped into could write. Whom to tell is read from
// the mapping Sopora.exe keeps for its session.
static HINSTANCE s_hModule = nullptr;      // this library
constinit static HookReporter s_reporter;  // what this program tells, and how often; no run-time constructs it
static HHOOK s_hKeyboardHook = nullptr;    // installing process only
static HHOOK s_hMouseHook = nullptr;       // installing process only

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

// Owns a handle for one scope. The library links no run-time and sits
// below the program's own handle owners, so it keeps this one of its own.
template <class Handle, auto Free>
class ScopedHandle {
 public:
  explicit ScopedHandle(Handle handle) : m_handle(handle) {}
  ~ScopedHandle() {
    if (m_handle) Free(m_handle);
  }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  Handle Get() const { return m_handle; }

 private:
  Handle m_handle;
};

// Reads the listener from the session's mapping and closes it again at
// once: a view kept open here would keep the mapping alive after Sopora
// ends, and a Sopora started again could then not create it afresh.
void ReadListener() {
  std::uint32_t window = 0, process = 0;
  const ScopedHandle<HANDLE, CloseHandle> mapping(
      OpenFileMappingW(FILE_MAP_READ, FALSE, sopora::LISTENER_MAPPING_NAME));
  const ScopedHandle<const void*, UnmapViewOfFile> view(
      mapping.Get() ? MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, sizeof(ListenerRecord)) : nullptr);
  if (const auto* record = static_cast<const ListenerRecord*>(view.Get())) {
    window = record->window.load();
    process = record->processId.load();
  }
  s_listenerProcess.store(process);
  s_listenerWindow.store(window);
}

// Posts to this session's Sopora. Never to a null window: that would post
// the message to the hooked program's own thread.
void Post(const HookPost& post) {
  HWND listener = LiveListener(s_listenerWindow.load(), s_listenerProcess.load());
  if (!listener) {
    ReadListener();
    listener = LiveListener(s_listenerWindow.load(), s_listenerProcess.load());
  }
  if (listener) PostMessageW(listener, post.message, post.wParam, post.lParam);
}

// Several threads of a program may take input at once. One decides at a
// time; another that comes meanwhile leaves its event to the session's
// last input time rather than wait inside the program's input handling.
std::atomic_flag s_deciding = ATOMIC_FLAG_INIT;

template <typename Decide>
void Tell(Decide decide) {
  if (s_deciding.test_and_set(std::memory_order_acquire)) return;
  const std::optional<HookPost> post = decide(GetTickCount());
  s_deciding.clear(std::memory_order_release);
  if (post) Post(*post);
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

// Both procedures run for every input event of the desktop: a few
// comparisons, at most one posted message (a few a second at most), nothing
// that waits, and the event always goes on to the next hook.
LRESULT CALLBACK CSoporaHook::HookKeyBoardProc(int nCode, WPARAM wParam, LPARAM lParam) {
  if (nCode == HC_ACTION) Tell([](std::uint32_t now) { return s_reporter.OnKey(now); });
  return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

LRESULT CALLBACK CSoporaHook::HookMouseProc(int nCode, WPARAM wParam, LPARAM lParam) {
  if (nCode == HC_ACTION) {
    const POINT pt = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->pt;
    Tell([&](std::uint32_t now) { return s_reporter.OnMouse(static_cast<unsigned>(wParam), {pt.x, pt.y}, now); });
  }
  return CallNextHookEx(nullptr, nCode, wParam, lParam);
}
