#include "data/data_store.h"

#include <cstring>

#include "data/text_field.h"

namespace sopora {

namespace {
constexpr RecordFileMessages LOG_FILE_MESSAGES = {
    "ログファイルを生成できません。",
    "ログファイルを開けません。",
    "ログファイルのバージョンが違います。",
};
constexpr RecordFileMessages EXCEPT_FILE_MESSAGES = {
    "例外ウィンドウ定義ファイルを生成できません。",
    "例外ウィンドウ定義ファイルを開けません。",
    "例外ウィンドウ定義ファイルのバージョンが違います。",
};
}  // namespace

CDataStore::CDataStore(FileSystem& files, Notifier& notifier, const DataFilePaths& paths)
    : m_logFile(files, notifier, paths.logFile, LOG_FILE_MESSAGES, LOG_FILE_MAX_BYTES),
      m_wndFile(files, notifier, paths.wndFile, EXCEPT_FILE_MESSAGES, EXCEPT_WND_FILE_MAX_BYTES) {}

void CDataStore::LoadLog() { m_logFile.Load(m_arLog); }

int CDataStore::GetLogRecords(std::vector<LogRecord>& out) const {
  out = m_arLog;
  return static_cast<int>(out.size());
}

void CDataStore::AppendLog(const LogRecord& record) {
  m_arLog.push_back(record);
  // Only the newest 1000 are kept; a log made longer by hand is cut at once.
  if (m_arLog.size() > LOG_RECORD_LIMIT) m_arLog.erase(m_arLog.begin(), m_arLog.end() - LOG_RECORD_LIMIT);
  SaveLog();
}

void CDataStore::SaveLog() {
  // A failed rewrite is silent: the records stay in memory and the next
  // append tries again with all of them.
  m_logFile.Rewrite(SerializeRecordFile<LogRecord>(m_arLog));
}

bool CDataStore::LoadExceptWnd(std::vector<ExceptWndEntry>& out) {
  const LoadOutcome outcome = m_wndFile.Load(out);
  return outcome == LoadOutcome::Loaded || outcome == LoadOutcome::Created;
}

void CDataStore::SaveExceptWnd(const std::vector<ExceptWndEntry>& entries) {
  m_wndFile.Rewrite(SerializeRecordFile<ExceptWndEntry>(entries));
}

LogRecord MakeLogRecord(std::int32_t kind, std::string_view text, const SystemTime& time) {
  LogRecord record;
  std::memset(&record, 0, sizeof record);
  record.kind = kind;
  record.time = time;
  CopyTextToField(record.text, text);
  return record;
}

}  // namespace sopora
