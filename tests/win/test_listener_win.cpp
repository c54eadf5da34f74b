// How the hook library finds Sopora: the listener mapping as the programs
// of the session see it, and a name that another program holds.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "app/input_listener_win.h"
#include "framework/win_handles.h"
#include "win/support/listener_mapping.h"

namespace sopora {
namespace {

// A window of this process to name as the listener.
class ListeningWindow {
 public:
  ListeningWindow() : m_window(CreateWindowExW(0, L"STATIC", L"listener", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                               nullptr, nullptr)) {}
  ~ListeningWindow() { DestroyWindow(m_window); }
  ListeningWindow(const ListeningWindow&) = delete;
  ListeningWindow& operator=(const ListeningWindow&) = delete;
  HWND Get() const { return m_window; }

 private:
  HWND m_window;
};

std::pair<HWND, DWORD> Listener(HWND window) { return {window, GetCurrentProcessId()}; }

TEST(ListenerWin, TheSessionsProgramsReadTheListenerAndNoneMayWriteIt) {
  ListeningWindow window;
  InputListener listener;
  ASSERT_TRUE(listener.Publish(window.Get()));
  EXPECT_EQ(ListenerOfTheSession(), Listener(window.Get()));

  // (That nobody may change the DACL or the owner either, Wine cannot show:
  // it lets the owner do both whatever the DACL says.)
  for (const DWORD access : {DWORD{FILE_MAP_WRITE}, DWORD{FILE_MAP_ALL_ACCESS}}) {
    const UniqueKernelHandle opened(OpenFileMappingW(access, FALSE, LISTENER_MAPPING_NAME));
    EXPECT_FALSE(opened) << std::hex << access;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << std::hex << access;
  }

  // Gone with the listener, so that the next Sopora creates it afresh.
  listener.Withdraw();
  EXPECT_EQ(ListenerOfTheSession(), std::nullopt);
  ASSERT_TRUE(listener.Publish(window.Get()));
  EXPECT_EQ(ListenerOfTheSession(), Listener(window.Get()));
}

// The name is taken: by a program that made a mapping of its own (and may
// write it), by another kind of object, or by a program that still holds
// an earlier Sopora's mapping open. Sopora does not write into it and says
// it could not publish, so the frame installs no hooks; a later attempt,
// once the name is free, succeeds.
TEST(ListenerWin, ANameHeldByAnotherProgramIsLeftAsItIs) {
  ListeningWindow squatterWindow, window;
  const std::function<UniqueKernelHandle()> takers[] = {
      [&] { return TakeTheListenerName(squatterWindow.Get()); },
      [] { return UniqueKernelHandle(CreateMutexW(nullptr, FALSE, LISTENER_MAPPING_NAME)); },
      [] {
        InputListener earlier;
        ListeningWindow earlierWindow;
        earlier.Publish(earlierWindow.Get());
        return UniqueKernelHandle(OpenFileMappingW(FILE_MAP_READ, FALSE, LISTENER_MAPPING_NAME));
      },
  };
  int taker = 0;
  for (const auto& take : takers) {
    SCOPED_TRACE(taker++);
    UniqueKernelHandle held = take();
    ASSERT_TRUE(held);
    const auto before = ListenerOfTheSession();

    InputListener listener;
    EXPECT_FALSE(listener.Publish(window.Get()));
    EXPECT_EQ(ListenerOfTheSession(), before);

    held.Reset();
    EXPECT_TRUE(listener.Publish(window.Get()));  // the name is free again
    EXPECT_EQ(ListenerOfTheSession(), Listener(window.Get()));
  }
  EXPECT_EQ(ListenerOfTheSession(), std::nullopt);
}

}  // namespace
}  // namespace sopora
