// Exception-window detection: which open windows count, whether a
// registered title pattern matches one of them, and the title matcher.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/data_store.h"
#include "data/file_system.h"
#include "data/operation_log.h"
#include "data/records.h"
#include "monitor/idle_monitor.h"
#include "monitor/window_source.h"

namespace sopora {

// Appends the visible, titled, unowned top-level windows (title and class
// name); returns the array's count afterwards.
int EnumTopWindows(WindowSource& windows, std::vector<ExceptWndEntry>& out);

// Whole-text match; "*" is any run of bytes, "?" exactly one byte.
bool MatchWildcard(std::string_view pattern, std::string_view text);

// The test the tick makes. Between two ticks the list file and almost every
// title are unchanged, so the list is read again only when its file has
// changed (or could not be read last time, so that its message comes back
// as before), and a title already found not to match the current list is
// not matched again. A list that cannot be opened for a while (held by
// another program) leaves the patterns last read in force, said once in
// the log rather than in a box at every tick.
class ExceptionWindowDetector : public ExceptionWindowTest {
 public:
  ExceptionWindowDetector(CDataStore& store, FileSystem& files, DataPath listFile, WindowSource& windows,
                          OperationLog& log);

  std::optional<std::string> ExceptWindowTitle() override;
  bool IsExceptWindowPresent() { return ExceptWindowTitle().has_value(); }

 private:
  void RefreshPatterns();
  bool MatchesAnyPattern(std::string_view title) const;

  CDataStore& m_store;
  FileSystem& m_files;
  DataPath m_listFile;
  WindowSource& m_windows;
  OperationLog& m_log;

  bool m_unreadableLogged = false;  // since the list was last read
  std::optional<FileStamp> m_listStamp;  // the list file as last read; nothing: read it again
  std::vector<std::string> m_patterns;
  // Titles of the last enumeration known not to match, with the tick that
  // last saw them; titles that went away are forgotten.
  std::unordered_map<std::string, std::uint64_t> m_nonMatchingTitles;
  std::uint64_t m_tick = 0;
};

}  // namespace sopora
