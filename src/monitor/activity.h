// Sources of activity: every signal that a user is at the machine (load,
// input, other sessions, programs that ask to stay awake) answers the same
// question once per tick, in one place of the tick, so another signal is
// one more source and not another branch.
#pragma once

#include <optional>

#include "text/messages.h"

namespace sopora {

// What a source saw since the previous tick.
struct Activity {
  enum class Kind {
    None,   // nothing: the tick may count as idle
    Input,  // a user's input: the run starts again, and this tick may count
    Busy,   // the tick is not idle
    Hold,   // no power action while it lasts: the count is held at 0
  };
  Kind kind = Kind::None;
  // The settings dialog's line while this source holds the count.
  std::optional<Message> status;
  // The line logged (kind 1) when this ends a long low-load run.
  std::optional<Message> endsRun;
};

class ActivitySource {
 public:
  virtual ~ActivitySource() = default;
  // Asked once per tick, in the order the status line names the sources.
  virtual Activity Ask() = 0;
};

// The idle run, which input the hooks report starts again at once rather
// than at the next tick.
class IdleRun {
 public:
  virtual ~IdleRun() = default;
  virtual void OnInputActivity() = 0;
};

}  // namespace sopora
