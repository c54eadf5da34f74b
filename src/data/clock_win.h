// The local time through GetLocalTime.
#pragma once

#include "data/clock.h"

namespace sopora {

class Win32Clock : public Clock {
 public:
  SystemTime LocalTime() override;
};

// GetTickCount64: it runs on while the machine sleeps or hibernates.
class Win32MonotonicClock : public MonotonicClock {
 public:
  std::uint64_t Milliseconds() override;
};

// The process-wide clock every store and the log use.
Clock& Win32LocalClock();

}  // namespace sopora
