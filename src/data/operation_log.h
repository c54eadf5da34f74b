// The one logging operation of the program: a time-stamped line in
// Sopora.dat and at the top of the log viewer.
#pragma once

#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "data/clock.h"
#include "data/records.h"
#include "res/resource.h"
#include "text/messages.h"

namespace sopora {

class CDataStore;
class EventLogWriter;

// What a log line is, stored with it; the kind is also the index of its
// picture in the log viewer.
enum LogKind : std::int32_t {
  LOG_INFO = 0,                   // information
  LOG_WARNING = 1,                // a notice or a warning
  LOG_ERROR = 2,                  // an error
  LOG_SPARE_BLUE_DOWN = 3,        // written by no line; a file may hold it, and it has a picture
  LOG_WINDOWS_ENDING = 4,         // Windows is ending
  LOG_SPARE_RED_DOWN = 5,         // written by no line; a file may hold it, and it has a picture
  LOG_RESUMED = 6,                // back from power saving
  LOG_ENTERING_POWER_SAVING = 7,  // going into power saving
};

// The picture of each kind (an IDI_ icon), in the order of the kinds.
inline constexpr int LOG_KIND_ICONS[] = {IDI_LOG_INFO,      IDI_LOG_WARNING,        IDI_LOG_ERROR,
                                         IDI_LOG_BLUE_DOWN, IDI_LOG_WINDOWS_ENDING, IDI_LOG_RED_DOWN,
                                         IDI_LOG_RESUMED,   IDI_LOG_ENTERING};
static_assert(std::size(LOG_KIND_ICONS) == LOG_ENTERING_POWER_SAVING + 1);

// Builds the record the operation log stores for one message: zero-filled,
// stamped, the text cut to the field at a character boundary.
LogRecord MakeLogRecord(std::int32_t kind, std::string_view text, const SystemTime& time);

class OperationLog {
 public:
  virtual ~OperationLog() = default;
  // Logs the message in the program's language. Never fails towards the
  // caller.
  virtual void AddLog(std::int32_t kind, const Message& message) = 0;
};

// What shows the log: the log viewer's list, newest line on top.
class LogView {
 public:
  virtual ~LogView() = default;
  // Every record, oldest first, in place of what the view showed.
  virtual void ShowLogItems(const std::vector<LogRecord>& records) = 0;
  // One new line on top.
  virtual void InsertLogItem(const LogRecord& record) = 0;
};

// The operation log of the running program: loaded from Sopora.dat when it
// is built, each new line stamped, written and handed to the view, if one
// is attached. The viewer only displays it, so the history never depends on
// a window.
class LogBook : public OperationLog {
 public:
  // `texts`: the language the lines are written in from now on; lines
  // already in the log stay as they were written.
  LogBook(CDataStore& store, Clock& clock, const TextCatalog& texts);

  void AddLog(std::int32_t kind, const Message& message) override;
  // Oldest first: the file's records, then the lines that wait for it.
  std::vector<LogRecord> Records() const;
  // The view that shows every line from now on; null for none.
  void SetView(LogView* view) { m_view = view; }
  // Where every line goes as an event too; null for nowhere.
  void SetEventLog(EventLogWriter* events) { m_events = events; }

 private:
  CDataStore& m_store;
  Clock& m_clock;
  const TextCatalog& m_texts;
  LogView* m_view = nullptr;
  EventLogWriter* m_events = nullptr;
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
