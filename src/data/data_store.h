// CDataStore: the program's two data files, the operation log (kept in
// memory too) and the exception-window list.
#pragma once

#include <string_view>
#include <vector>

#include "data/data_paths.h"
#include "data/file_system.h"
#include "data/notifier.h"
#include "data/record_file.h"
#include "data/records.h"

namespace sopora {

// Files far larger than any the program writes are not read: 1000 log
// records are 276 KB. The log may grow past its limit by hand (it is cut to
// the newest 1000 at its next rewrite), so it gets ample room; an
// exception list is typed in by hand, where a few dozen patterns is a long
// list, and is read at every change, so 4096 patterns (2 MB) is the most
// it may hold.
inline constexpr std::uint64_t LOG_FILE_MAX_BYTES = 64ull << 20;
inline constexpr std::size_t EXCEPT_WND_ENTRY_LIMIT = 4096;
inline constexpr std::uint64_t EXCEPT_WND_FILE_MAX_BYTES = 1 + EXCEPT_WND_ENTRY_LIMIT * sizeof(ExceptWndEntry);

class CDataStore {
 public:
  CDataStore(FileSystem& files, Notifier& notifier, const DataFilePaths& paths);
  virtual ~CDataStore() = default;
  CDataStore(const CDataStore&) = delete;
  CDataStore& operator=(const CDataStore&) = delete;

  // Operation log, oldest record first.
  void LoadLog();
  int GetLogRecords(std::vector<LogRecord>& out) const;
  void AppendLog(const LogRecord& record);
  void SaveLog();

  // Exception-window list file. The load is true when the file could be
  // read (or was missing and has been created).
  bool LoadExceptWnd(std::vector<ExceptWndEntry>& out);
  void SaveExceptWnd(const std::vector<ExceptWndEntry>& entries);

 private:
  RecordFile m_logFile;
  RecordFile m_wndFile;
  std::vector<LogRecord> m_arLog;
};

// Builds the record the operation log stores for one message: zero-filled,
// stamped, the text cut to the field at a character boundary.
LogRecord MakeLogRecord(std::int32_t kind, std::string_view text, const SystemTime& time);

}  // namespace sopora
