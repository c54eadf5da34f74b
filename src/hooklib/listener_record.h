// How the hook library finds the window that hears this session's input:
// Sopora.exe keeps a named file mapping in its session's Local\ namespace
// (one per session by construction) that only it can write; every hooked
// program may read it. Header only, so the hook library needs no run-time
// library for it.
#pragma once

#include <atomic>
#include <cstdint>

namespace sopora {

inline constexpr const wchar_t* LISTENER_MAPPING_NAME = L"Local\\SoporaInputListener";

// The mapping's content. 32- and 64-bit programs read the same record, so
// the window is kept as the 32 bits a window handle has (sign-extended
// when read back). The process lets a reader tell a live listener from a
// window handle that has since been reused by another program.
struct ListenerRecord {
  std::atomic<std::uint32_t> window;     // 0: nobody listens
  std::atomic<std::uint32_t> processId;  // the process that owns the window
};
static_assert(sizeof(ListenerRecord) == 8);
static_assert(std::atomic<std::uint32_t>::is_always_lock_free);

}  // namespace sopora
