#include "data/data_store.h"

#include <cstring>

#include "data/record_file.h"
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

CDataStore::CDataStore(const DataStoreServices& services) : m_services(services) {
  SetDataFilePaths(m_services.files.ModuleDirectory().value_or(DataPath()));
}

void CDataStore::LoadLog() {
  m_arLog = LoadRecordFile<LogRecord>(m_services.files, m_services.notifier, g_strLogFile, LOG_FILE_MESSAGES);
}

int CDataStore::GetLogRecords(std::vector<LogRecord>& out) const {
  out = m_arLog;
  return static_cast<int>(out.size());
}

void CDataStore::AppendLog(const LogRecord& record) {
  m_arLog.push_back(record);
  if (m_arLog.size() > LOG_RECORD_LIMIT) m_arLog.erase(m_arLog.begin());
  SaveLog();
}

void CDataStore::SaveLog() {
  // A failed rewrite is silent: the records stay in memory and the next
  // append tries again with all of them.
  RewriteFileAtomically(m_services.files, g_strLogFile, SerializeRecordFile<LogRecord>(m_arLog));
}

void CDataStore::LoadExceptWnd(std::vector<ExceptWndEntry>& out) {
  out = LoadRecordFile<ExceptWndEntry>(m_services.files, m_services.notifier, g_strWndFile, EXCEPT_FILE_MESSAGES);
}

void CDataStore::SaveExceptWnd(const std::vector<ExceptWndEntry>& entries) {
  RewriteFileAtomically(m_services.files, g_strWndFile, SerializeRecordFile<ExceptWndEntry>(entries));
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
