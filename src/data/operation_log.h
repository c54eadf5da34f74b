// The one logging operation of the program: a time-stamped line in
// Sopora.dat and at the top of the log viewer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/records.h"

namespace sopora {

// Log kinds double as icon indices in the log viewer.
enum LogKind : std::int32_t {
  LOG_INFO = 0,
  LOG_WARNING = 1,
  LOG_ERROR = 2,
  LOG_WINDOWS_ENDING = 4,
  LOG_RESUMED = 6,
  LOG_ENTERING_POWER_SAVING = 7,
};

class OperationLog {
 public:
  virtual ~OperationLog() = default;
  // `text` is CP932. Never fails towards the caller.
  virtual void AddLog(std::int32_t kind, std::string text) = 0;
};

// A failure that reached the top of a message handler is logged as an
// error, but only the first time it happens: a tick that fails does so
// every second. Only the first few different failures are kept apart.
class UnexpectedFailureLog {
 public:
  explicit UnexpectedFailureLog(OperationLog& log) : m_log(log) {}
  void Report(std::string_view what);

 private:
  static constexpr std::size_t DISTINCT_FAILURES = 8;
  OperationLog& m_log;
  std::vector<std::string> m_reported;
};

// The time stamp the log viewer shows: "YYYY/MM/DD hh:mm:ss".
std::string FormatLogTimestamp(const SystemTime& time);

}  // namespace sopora
