#include "data/operation_log.h"

#include <cstdio>

namespace sopora {

std::string FormatLogTimestamp(const SystemTime& time) {
  char text[48];  // room for any 16-bit field values
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", time.wYear, time.wMonth, time.wDay, time.wHour,
                time.wMinute, time.wSecond);
  return text;
}

}  // namespace sopora
