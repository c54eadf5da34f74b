// The policy values in the registry, and the watch that tells when they
// change.
#pragma once

#include <windows.h>

#include <array>

#include "data/policy.h"
#include "framework/win_handles.h"

namespace sopora {

// HKLM and HKCU\SOFTWARE\Policies\Sopora, always in the 64-bit view: Group
// Policy writes there whichever build of Sopora runs.
class Win32PolicySource : public PolicySource {
 public:
  std::optional<SettingValue> ReadValue(PolicyScope scope, const char* name) override;
};

// Posts `message` to the window whenever anything under SOFTWARE\Policies
// of the machine or the user changes, so that a value a tool writes
// directly is taken at once, also into a Sopora key created only then.
// A notification is armed for one change: Rearm() after each message, on
// the thread that called Start (the system drops a thread's notifications
// when it ends).
class PolicyChangeWatch {
 public:
  PolicyChangeWatch() = default;
  ~PolicyChangeWatch();
  PolicyChangeWatch(const PolicyChangeWatch&) = delete;
  PolicyChangeWatch& operator=(const PolicyChangeWatch&) = delete;

  void Start(HWND window, UINT message);
  void Rearm();

 private:
  struct Watched {
    HKEY key = nullptr;
    UniqueKernelHandle changed;  // auto-reset: signalled once a change
    HANDLE wait = nullptr;
  };
  static void CALLBACK OnChanged(void* context, BOOLEAN timedOut);

  HWND m_window = nullptr;
  UINT m_message = 0;
  std::array<Watched, 2> m_watched;
};

}  // namespace sopora
