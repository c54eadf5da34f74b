// The local time, for the log's time stamps and the names of files kept
// aside.
#pragma once

#include <cstdint>

#include "data/records.h"

namespace sopora {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual SystemTime LocalTime() = 0;
};

// Milliseconds since the system started, sleep included, never set back:
// what durations are measured with while the local time may jump.
class MonotonicClock {
 public:
  virtual ~MonotonicClock() = default;
  virtual std::uint64_t Milliseconds() = 0;
};

}  // namespace sopora
