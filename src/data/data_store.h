// CDataStore: the program's two data files, the operation log (kept in
// memory too) and the exception-window list.
#pragma once

#include <string_view>
#include <vector>

#include "data/clock.h"
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
// it may hold, and the most the registration dialog lets the user enter.
inline constexpr std::uint64_t LOG_FILE_MAX_BYTES = 64ull << 20;
inline constexpr std::size_t EXCEPT_WND_ENTRY_LIMIT = 4096;
inline constexpr std::uint64_t EXCEPT_WND_FILE_MAX_BYTES = 1 + EXCEPT_WND_ENTRY_LIMIT * sizeof(ExceptWndEntry);

// How saving the exception list went.
enum class SaveOutcome {
  Saved,
  ChangedElsewhere,  // another Sopora saved its own list since this one was read: nothing written
  Failed,            // the file could not be written; it is as it was
};

class CDataStore {
 public:
  CDataStore(FileSystem& files, Notifier& notifier, Clock& clock, const DataFilePaths& paths);
  virtual ~CDataStore() = default;
  CDataStore(const CDataStore&) = delete;
  CDataStore& operator=(const CDataStore&) = delete;

  // Operation log, oldest record first: what the file held when last read
  // or written, followed by this instance's lines that still wait for it.
  void LoadLog();
  int GetLogRecords(std::vector<LogRecord>& out) const;
  // Adds the record and writes the log: this instance's waiting lines go
  // after whatever the file holds now. True when the file held lines this
  // instance had not seen (another Sopora's, or those of a file that could
  // not be read before), so the records are worth showing again whole.
  bool AppendLog(const LogRecord& record);
  bool SaveLog();

  // True once, the first time a lock file turns out unusable: from then on
  // the files are only added to in place, and the user should know.
  bool TakeLockWarning();

  // Exception-window list file, opened for reading only, so a read-only
  // list is honoured.
  LoadOutcome LoadExceptWnd(std::vector<ExceptWndEntry>& out, CannotOpenReport report = CannotOpenReport::Box);
  // Writes the list; unless `overwriteChangesElsewhere`, not over a list
  // another Sopora saved since this store last read or wrote the file.
  SaveOutcome SaveExceptWnd(const std::vector<ExceptWndEntry>& entries, bool overwriteChangesElsewhere = false);

 private:
  RecordFile m_logFile;
  RecordFile m_exceptFile;
  std::vector<LogRecord> m_arLog;    // as the file held them when last read or written
  std::vector<LogRecord> m_pending;  // this instance's lines that are not in the file yet
  bool m_lastSaveFailed = false;     // yet it may have written some of them
  bool m_lockWarned = false;
};

// Whether a load found the list or log usable (read, or created empty).
bool IsRead(LoadOutcome outcome);

}  // namespace sopora
