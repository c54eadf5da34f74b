#include "data/data_store.h"

#include <algorithm>
#include <cstring>

namespace sopora {

namespace {
constexpr RecordFileMessages LOG_FILE_MESSAGES = {
    IDS_LOG_FILE_CANNOT_CREATE,
    IDS_LOG_FILE_CANNOT_OPEN,
    IDS_LOG_FILE_WRONG_VERSION,
};
constexpr RecordFileMessages EXCEPT_FILE_MESSAGES = {
    IDS_LIST_FILE_CANNOT_CREATE,
    IDS_LIST_FILE_CANNOT_OPEN,
    IDS_LIST_FILE_WRONG_VERSION,
};

// Only the newest 1000 are kept; a log made longer by hand is cut at once.
void KeepNewest(std::vector<LogRecord>& records) {
  if (records.size() > LOG_RECORD_LIMIT) records.erase(records.begin(), records.end() - LOG_RECORD_LIMIT);
}

bool SameRecord(const LogRecord& a, const LogRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// How many of the waiting lines a write reported as failed did write
// after all (a flush or a rename that failed late): the longest run of
// them the file ends with.
std::size_t AlreadyAtTail(const std::vector<LogRecord>& onDisk, const std::vector<LogRecord>& waiting) {
  for (std::size_t count = std::min(onDisk.size(), waiting.size()); count > 0; --count) {
    if (std::equal(waiting.begin(), waiting.begin() + count, onDisk.end() - count, SameRecord)) return count;
  }
  return 0;
}
}  // namespace

CDataStore::CDataStore(FileSystem& files, Notifier& notifier, Clock& clock, const DataFilePaths& paths)
    : m_logFile(files, notifier, clock, paths.logFile, LOG_FILE_MESSAGES,
                {sizeof(LogRecord), LOG_FILE_MAX_BYTES, OpenFor::Update}, paths.writable),
      m_exceptFile(files, notifier, clock, paths.wndFile, EXCEPT_FILE_MESSAGES,
                   {sizeof(ExceptWndEntry), EXCEPT_WND_FILE_MAX_BYTES, OpenFor::Reading}, paths.writable) {}

void CDataStore::LoadLog() {
  m_logFile.Load(m_arLog);
  m_pending.clear();
  m_lastSaveFailed = false;
}

int CDataStore::GetLogRecords(std::vector<LogRecord>& out) const {
  out = m_arLog;
  out.insert(out.end(), m_pending.begin(), m_pending.end());
  return static_cast<int>(out.size());
}

bool CDataStore::AppendLog(const LogRecord& record) {
  m_pending.push_back(record);
  KeepNewest(m_pending);
  return SaveLog();
}

bool CDataStore::SaveLog() {
  std::vector<LogRecord> merged;
  const RewriteResult result = m_logFile.Rewrite([&](std::span<const std::uint8_t> onDisk) {
    merged = ParseRecordFile<LogRecord>(onDisk);
    const std::size_t landed = m_lastSaveFailed ? AlreadyAtTail(merged, m_pending) : 0;
    merged.insert(merged.end(), m_pending.begin() + landed, m_pending.end());
    KeepNewest(merged);
    return SerializeRecordFile<LogRecord>(merged);
  });
  // A rewrite that cannot happen now is silent: the lines wait in memory
  // and the next append tries again with all of them.
  m_lastSaveFailed = result.outcome != RewriteOutcome::Written;
  if (m_lastSaveFailed) return false;
  m_arLog = std::move(merged);
  m_pending.clear();
  return result.changedElsewhere;
}

bool CDataStore::TakeLockWarning() {
  if (m_lockWarned || !(m_logFile.LockUnusable() || m_exceptFile.LockUnusable())) return false;
  m_lockWarned = true;
  return true;
}

LoadOutcome CDataStore::LoadExceptWnd(std::vector<ExceptWndEntry>& out, CannotOpenReport report) {
  return m_exceptFile.Load(out, report);
}

bool IsRead(LoadOutcome outcome) {
  return outcome == LoadOutcome::Loaded || outcome == LoadOutcome::Created || outcome == LoadOutcome::NotCreated;
}

SaveOutcome CDataStore::SaveExceptWnd(const std::vector<ExceptWndEntry>& entries, bool overwriteChangesElsewhere) {
  const RewriteResult result = m_exceptFile.Rewrite(
      [&](std::span<const std::uint8_t>) { return SerializeRecordFile<ExceptWndEntry>(entries); },
      !overwriteChangesElsewhere);
  switch (result.outcome) {
    case RewriteOutcome::Written:
      return SaveOutcome::Saved;
    case RewriteOutcome::ChangedElsewhere:
      return SaveOutcome::ChangedElsewhere;
    case RewriteOutcome::NotNow:
      break;
  }
  return SaveOutcome::Failed;
}

}  // namespace sopora
