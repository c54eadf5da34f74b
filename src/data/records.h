// On-disk and in-memory records of the two data files. Both files are
// flat: one version byte, then fixed-size records in little-endian order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sopora {

constexpr std::uint8_t DATA_FILE_VERSION = 0x01;
constexpr std::size_t LOG_RECORD_LIMIT = 1000;

// The Win32 SYSTEMTIME layout, so GetLocalTime can fill it directly.
struct SystemTime {
  std::uint16_t wYear;
  std::uint16_t wMonth;
  std::uint16_t wDayOfWeek;
  std::uint16_t wDay;
  std::uint16_t wHour;
  std::uint16_t wMinute;
  std::uint16_t wSecond;
  std::uint16_t wMilliseconds;
};

struct LogRecord {
  std::int32_t kind;  // a LogKind (data/operation_log.h)
  SystemTime time;
  char text[256];  // CP932, NUL-terminated when written by us
};

struct ExceptWndEntry {
  char title[260];      // CP932 title or title pattern
  char className[260];  // window class of an enumerated window; zero in the file
};

static_assert(sizeof(SystemTime) == 16);
static_assert(sizeof(LogRecord) == 276);
static_assert(offsetof(LogRecord, time) == 4);
static_assert(offsetof(LogRecord, text) == 20);
static_assert(sizeof(ExceptWndEntry) == 520);
static_assert(offsetof(ExceptWndEntry, className) == 260);

}  // namespace sopora
