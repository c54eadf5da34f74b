// The local time, for the log's time stamps and the names of files kept
// aside.
#pragma once

#include "data/records.h"

namespace sopora {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual SystemTime LocalTime() = 0;
};

}  // namespace sopora
