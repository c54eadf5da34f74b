#include "data/operation_log.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "data/data_store.h"
#include "data/event_log.h"
#include "text/text_field.h"

namespace sopora {

LogRecord MakeLogRecord(std::int32_t kind, std::string_view text, const SystemTime& time) {
  LogRecord record;
  std::memset(&record, 0, sizeof record);
  record.kind = kind;
  record.time = time;
  CopyTextToField(record.text, text);
  return record;
}

LogBook::LogBook(CDataStore& store, Clock& clock, const TextCatalog& texts)
    : m_store(store), m_clock(clock), m_texts(texts) {
  m_store.LoadLog();  // its message boxes come up here, at start-up
}

void LogBook::AddLog(std::int32_t kind, const Message& message) {
  const LogRecord record = MakeLogRecord(kind, Format(m_texts, message), m_clock.LocalTime());
  const bool othersAdded = m_store.AppendLog(record);  // the file first, then the screen
  if (m_view) {
    if (othersAdded) {
      m_view->ShowLogItems(Records());
    } else {
      m_view->InsertLogItem(record);
    }
  }
  if (m_events) {
    // The line is already kept; an event log that fails says so there, once.
    if (const std::optional<Message> failure = m_events->Write(kind, message, m_texts)) AddLog(LOG_WARNING, *failure);
  }
  if (m_store.TakeLockWarning()) AddLog(LOG_ERROR, IDS_LOG_LOCK_UNUSABLE);
}

std::vector<LogRecord> LogBook::Records() const {
  std::vector<LogRecord> records;
  m_store.GetLogRecords(records);
  return records;
}

void UnexpectedFailureLog::Report(std::string_view what) {
  if (std::find(m_reported.begin(), m_reported.end(), what) != m_reported.end()) return;
  if (m_reported.size() == DISTINCT_FAILURES) return;
  m_reported.emplace_back(what);
  m_log.AddLog(LOG_ERROR, Message(IDS_LOG_UNEXPECTED_FAILURE, {std::string(what)}));
}

std::string FormatLogTimestamp(const SystemTime& time) {
  char text[48];  // room for any 16-bit field values
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", time.wYear, time.wMonth, time.wDay, time.wHour,
                time.wMinute, time.wSecond);
  return text;
}

}  // namespace sopora
