// Which window hears the input of which session. The hook library's shared
// data is one copy for every process that loads the library from the same
// file, in every session: with two users signed in (fast user switching)
// each one's Sopora must hear its own session's input, and keep hearing it
// when the other one ends. Header only, so the hook library needs no
// run-time library for it.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace sopora {

inline constexpr std::size_t LISTENER_SLOTS = 16;

// Lock-free and address-free, so it may live in memory shared by processes.
struct SessionListeners {
  std::atomic<std::uint32_t> sessionKey[LISTENER_SLOTS];  // session id + 1; 0: the slot is free
  std::atomic<std::uintptr_t> window[LISTENER_SLOTS];     // the window told of that session's input
};

constexpr std::uint32_t SessionKey(std::uint32_t session) { return session + 1; }

// Makes `window` the listener of `session`, taking over the slot an earlier
// run of the same session left behind; false when every slot is taken.
inline bool AddListener(SessionListeners& listeners, std::uint32_t session, std::uintptr_t window) {
  const std::uint32_t key = SessionKey(session);
  for (std::size_t i = 0; i < LISTENER_SLOTS; ++i) {
    if (listeners.sessionKey[i].load() == key) {
      listeners.window[i].store(window);
      return true;
    }
  }
  for (std::size_t i = 0; i < LISTENER_SLOTS; ++i) {
    std::uint32_t free = 0;
    if (listeners.sessionKey[i].compare_exchange_strong(free, key)) {
      listeners.window[i].store(window);
      return true;
    }
  }
  return false;
}

// The window that hears `session`, or 0 when none does.
inline std::uintptr_t ListenerOf(const SessionListeners& listeners, std::uint32_t session) {
  const std::uint32_t key = SessionKey(session);
  for (std::size_t i = 0; i < LISTENER_SLOTS; ++i) {
    if (listeners.sessionKey[i].load() == key) return listeners.window[i].load();
  }
  return 0;
}

// Frees the session's slot, but only while it still names `window`.
inline void RemoveListener(SessionListeners& listeners, std::uint32_t session, std::uintptr_t window) {
  const std::uint32_t key = SessionKey(session);
  for (std::size_t i = 0; i < LISTENER_SLOTS; ++i) {
    std::uintptr_t ours = window;
    if (listeners.sessionKey[i].load() == key && listeners.window[i].compare_exchange_strong(ours, 0)) {
      listeners.sessionKey[i].store(0);
    }
  }
}

}  // namespace sopora
