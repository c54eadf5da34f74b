// CDataStore: the data files (log, exception-window list), the window
// enumeration and title matching built on them, and the help page.
#pragma once

#include <string_view>
#include <vector>

#include "data/file_system.h"
#include "data/notifier.h"
#include "data/records.h"
#include "monitor/window_source.h"

namespace sopora {

struct DataStoreServices {
  FileSystem& files;
  Notifier& notifier;
  WindowSource& windows;
};

class CDataStore {
 public:
  // Sets the four data-file paths from the executable's folder.
  explicit CDataStore(const DataStoreServices& services);
  virtual ~CDataStore() = default;
  CDataStore(const CDataStore&) = delete;
  CDataStore& operator=(const CDataStore&) = delete;

  // Operation log, oldest record first.
  void LoadLog();
  int GetLogRecords(std::vector<LogRecord>& out) const;
  void AppendLog(const LogRecord& record);
  void SaveLog();

  // Exception-window list file.
  void LoadExceptWnd(std::vector<ExceptWndEntry>& out);
  void SaveExceptWnd(const std::vector<ExceptWndEntry>& entries);

  // Appends the visible, titled, unowned top-level windows; returns the count.
  int EnumTopWindows(std::vector<ExceptWndEntry>& out);
  // Whether a registered title pattern matches an open window's title.
  bool IsExceptWindowPresent();
  // Whole-text match; "*" is any run of bytes, "?" exactly one byte.
  static bool MatchWildcard(std::string_view pattern, std::string_view text);

  // Opens Help\index.htm with the shell (Windows only).
  void OpenHelp();

 private:
  DataStoreServices m_services;
  std::vector<LogRecord> m_arLog;
};

// Builds the record the operation log stores for one message: zero-filled,
// stamped, the text cut to the field at a character boundary.
LogRecord MakeLogRecord(std::int32_t kind, std::string_view text, const SystemTime& time);

}  // namespace sopora
