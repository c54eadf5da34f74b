// What one hooked program tells Sopora about its input, and how often. The
// hooks run for every event of the desktop; a message per event would wake
// Sopora hundreds of times a second under a moving pointer. What a held-back
// message leaves out, the session's last input time shows Sopora at its
// next tick. Portable, with the tick count passed in, so that it is tested
// natively; the hook library keeps one per process.
#pragma once

#include <cstdint>
#include <optional>

#include "hooklib/input_activity.h"

namespace sopora {

inline constexpr unsigned MAX_POSTS_PER_SECOND = 4;

// A message for the hook to post to Sopora.
struct HookPost {
  unsigned message;
  std::uintptr_t wParam;
  std::intptr_t lParam;
};

// At most MAX_POSTS_PER_SECOND posts in any second, the first of a burst at
// once; and a jitter notice at most once per JITTER_NOTICE_INTERVAL_MS, so
// that under a jittering pointer there is always room for a key at once.
class ReportLimiter {
 public:
  // Whether a post at tick count `now` keeps within those limits; records
  // it when it does. Tick counts wrap after 49 days.
  constexpr bool MayPost(bool jitterNotice, std::uint32_t now) {
    constexpr std::uint32_t SECOND = 1000;
    if (m_posts == MAX_POSTS_PER_SECOND && now - m_recent[m_oldest] < SECOND) return false;
    if (jitterNotice && m_lastJitterNotice && now - *m_lastJitterNotice < JITTER_NOTICE_INTERVAL_MS) return false;
    m_recent[m_oldest] = now;
    m_oldest = (m_oldest + 1) % MAX_POSTS_PER_SECOND;
    if (m_posts < MAX_POSTS_PER_SECOND) ++m_posts;
    if (jitterNotice) m_lastJitterNotice = now;
    return true;
  }

 private:
  std::uint32_t m_recent[MAX_POSTS_PER_SECOND] = {};  // tick counts of the last posts, a ring
  unsigned m_oldest = 0;                              // the slot the next post takes
  unsigned m_posts = 0;                               // posts in the ring, up to its size
  std::optional<std::uint32_t> m_lastJitterNotice;
};

// One hooked program's decisions: the designed reports of keys, buttons and
// moves beyond the dead zone (kept per program: hooked programs share
// nothing writable), and a word on what the reports leave out, all under
// the limiter.
class HookReporter {
 public:
  constexpr std::optional<HookPost> OnKey(std::uint32_t now) { return Limited({WM_INPUT_ACTIVITY, 0, 0}, now); }

  constexpr std::optional<HookPost> OnMouse(unsigned message, ScreenPoint point, std::uint32_t now) {
    switch (ClassifyMouseMessage(message, point, m_lastMove)) {
      case MouseActivity::Move:
        return Limited({WM_INPUT_ACTIVITY, static_cast<std::uintptr_t>(point.x), point.y}, now);
      case MouseActivity::Button:
        return Limited({WM_INPUT_ACTIVITY, 0, 0}, now);
      case MouseActivity::Jitter:
        return Limited(Unreported(UnreportedInput::PointerJitter), now, true);
      case MouseActivity::Unreported:
        return Limited(Unreported(UnreportedInput::Other), now);
      case MouseActivity::None:
        break;
    }
    return std::nullopt;
  }

 private:
  static constexpr HookPost Unreported(UnreportedInput what) {
    return {WM_INPUT_UNREPORTED, static_cast<std::uintptr_t>(what), 0};
  }
  constexpr std::optional<HookPost> Limited(HookPost post, std::uint32_t now, bool jitterNotice = false) {
    if (!m_limiter.MayPost(jitterNotice, now)) return std::nullopt;
    return post;
  }

  ScreenPoint m_lastMove{0, 0};  // where the dead zone lies; (0, 0) before the first move
  ReportLimiter m_limiter;
};

}  // namespace sopora
