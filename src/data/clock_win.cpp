#include "data/clock_win.h"

#include <windows.h>

#include <cstring>

namespace sopora {

SystemTime Win32Clock::LocalTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  static_assert(sizeof now == sizeof(SystemTime));
  SystemTime time;
  std::memcpy(&time, &now, sizeof time);
  return time;
}

std::uint64_t Win32MonotonicClock::Milliseconds() { return GetTickCount64(); }

Clock& Win32LocalClock() {
  static Win32Clock clock;
  return clock;
}

}  // namespace sopora
