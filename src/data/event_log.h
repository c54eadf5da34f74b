// The Windows event log as a second home of the operation log's lines, for
// administrators who collect events centrally. An event names its message
// by the string table's id (the message table in Sopora.exe has the same
// ids and texts), so Event Viewer reads whole sentences in its own language;
// the parts that vary travel as insertion strings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "text/messages.h"
#include "data/monitor_settings.h"

namespace sopora {

enum class EventLevel { Information, Warning, Error };

// The source "Sopora" of the Application log.
class EventSink {
 public:
  virtual ~EventSink() = default;
  // 0 when the event was written, else the system's error code.
  virtual unsigned long Report(EventLevel level, MessageId eventId, const std::vector<std::string>& insertions) = 0;
};

// Writes each operation-log line as an event while the setting EventLog
// says so: 1 on, any other value off, none (EVENT_LOG_AUTOMATIC) on only
// where an administrator registered the source, since elsewhere Event
// Viewer can show no text of ours. The level follows the line's kind; an
// inserted message becomes its text in the program's language, as Event
// Viewer does not look inside insertion strings. A failing event log must
// never cost the operation log a line: after the first failure nothing more
// is written for the run.
class EventLogWriter {
 public:
  EventLogWriter(EventSink& sink, const MonitorSettings& settings, bool sourceRegistered)
      : m_sink(sink), m_settings(settings), m_sourceRegistered(sourceRegistered) {}

  // The line to add to the operation log once when this write failed.
  std::optional<Message> Write(std::int32_t kind, const Message& message, const TextCatalog& texts);

 private:
  EventSink& m_sink;
  const MonitorSettings& m_settings;
  bool m_sourceRegistered;
  bool m_failed = false;
};

}  // namespace sopora
