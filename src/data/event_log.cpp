#include "data/event_log.h"

#include "data/operation_log.h"

namespace sopora {

namespace {
EventLevel LevelOfLogKind(std::int32_t kind) {
  switch (kind) {
    case LOG_WARNING: return EventLevel::Warning;
    case LOG_ERROR: return EventLevel::Error;
    default: return EventLevel::Information;  // the events of a normal run: ending, resuming, power saving
  }
}

std::vector<std::string> InsertionStrings(const TextCatalog& texts, const Message& message) {
  std::vector<std::string> insertions;
  for (const MessageArg& arg : message.args) {
    insertions.push_back(std::holds_alternative<std::string>(arg) ? std::get<std::string>(arg)
                                                                  : Format(texts, Message(std::get<MessageId>(arg))));
  }
  return insertions;
}

bool IsEventLogOn(std::int32_t setting, bool sourceRegistered) {
  return setting == EVENT_LOG_AUTOMATIC ? sourceRegistered : setting == 1;
}
}  // namespace

std::optional<Message> EventLogWriter::Write(std::int32_t kind, const Message& message, const TextCatalog& texts) {
  if (m_failed || !IsEventLogOn(m_settings.EventLog, m_sourceRegistered)) return std::nullopt;
  const unsigned long error = m_sink.Report(LevelOfLogKind(kind), message.id, InsertionStrings(texts, message));
  if (error == 0) return std::nullopt;
  m_failed = true;
  return Message(IDS_LOG_EVENT_LOG_FAILED, {std::to_string(error)});
}

}  // namespace sopora
