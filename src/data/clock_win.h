// The local time through GetLocalTime.
#pragma once

#include "data/clock.h"

namespace sopora {

class Win32Clock : public Clock {
 public:
  SystemTime LocalTime() override;
};

// The process-wide clock every store and the log use.
Clock& Win32LocalClock();

}  // namespace sopora
