#include "data/win32_services.h"

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

FileSystem& Win32Files() {
  static Win32FileSystem files;
  return files;
}

Clock& Win32LocalClock() {
  static Win32Clock clock;
  return clock;
}

Notifier& Win32MessageBox() {
  static Win32Notifier notifier;
  return notifier;
}

}  // namespace sopora
