#include "monitor/exception_windows.h"

#include "text/text_field.h"

namespace sopora {

namespace {
constexpr std::string_view IGNORED_TITLE = "Program Manager";   // the desktop itself
constexpr std::string_view IGNORED_CLASS = "tooltips_class32";  // tooltips carry titles too

// The title of a window a user would call "open", or nothing. The checks go
// in the order the platform calls are cheapest to make.
bool TitleOfOpenWindow(WindowSource& windows, WindowId window, std::string& title, std::string& className) {
  title = windows.Title(window);
  if (title.empty() || !windows.IsVisible(window) || windows.HasParent(window)) return false;
  if (title == IGNORED_TITLE) return false;
  className = windows.ClassName(window);
  return className != IGNORED_CLASS;
}
}  // namespace

int EnumTopWindows(WindowSource& windows, std::vector<ExceptWndEntry>& out) {
  windows.ForEachTopWindow([&](WindowId window) {
    std::string title, className;
    if (!TitleOfOpenWindow(windows, window, title, className)) return;
    ExceptWndEntry entry;
    CopyTextToField(entry.title, title);
    CopyTextToField(entry.className, className);
    out.push_back(entry);
  });
  return static_cast<int>(out.size());
}

// Greedy matching that remembers only the position after the last "*":
// when a later literal part fails, that star absorbs one more byte and the
// rest is tried again. Earlier stars never need revisiting, so the work is
// bounded by pattern length x text length instead of growing exponentially
// with the number of stars.
bool MatchWildcard(std::string_view pattern, std::string_view text) {
  constexpr std::size_t NO_STAR = std::string_view::npos;
  std::size_t p = 0;
  std::size_t t = 0;
  std::size_t afterStar = NO_STAR;  // pattern position after the last star
  std::size_t starText = 0;         // text position that star currently reaches to
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      afterStar = ++p;
      starText = t;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
      ++p;
      ++t;
    } else if (afterStar != NO_STAR) {
      p = afterStar;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

ExceptionWindowDetector::ExceptionWindowDetector(CDataStore& store, FileSystem& files, DataPath listFile,
                                                 WindowSource& windows, OperationLog& log)
    : m_store(store), m_files(files), m_listFile(std::move(listFile)), m_windows(windows), m_log(log) {}

void ExceptionWindowDetector::RefreshPatterns() {
  // Stamped before reading: a change made while it is read shows next time.
  const std::optional<FileStamp> stamp = m_files.Stamp(m_listFile);
  if (stamp && stamp == m_listStamp) return;

  std::vector<ExceptWndEntry> entries;
  const LoadOutcome outcome = m_store.LoadExceptWnd(entries, CannotOpenReport::Quiet);  // other messages may come up
  if (outcome == LoadOutcome::CannotOpen) {
    if (!m_unreadableLogged) m_log.AddLog(LOG_WARNING, IDS_LOG_LIST_UNREADABLE);
    m_unreadableLogged = true;
    m_listStamp.reset();  // tried again at the next tick
    return;
  }
  m_unreadableLogged = false;
  m_listStamp = IsRead(outcome) ? stamp : std::nullopt;
  m_patterns.clear();
  for (const ExceptWndEntry& entry : entries) m_patterns.emplace_back(TextOfField(entry.title));
  m_nonMatchingTitles.clear();  // known for the old list only
}

bool ExceptionWindowDetector::MatchesAnyPattern(std::string_view title) const {
  for (const std::string& pattern : m_patterns) {
    if (MatchWildcard(pattern, title)) return true;
  }
  return false;
}

std::optional<std::string> ExceptionWindowDetector::ExceptWindowTitle() {
  RefreshPatterns();
  if (m_patterns.empty()) return std::nullopt;  // nothing registered: no need to look at windows

  ++m_tick;
  std::optional<std::string> found;
  m_windows.ForEachTopWindow([&](WindowId window) {
    std::string title, className;
    if (found || !TitleOfOpenWindow(m_windows, window, title, className)) return;
    if (const auto known = m_nonMatchingTitles.find(title); known != m_nonMatchingTitles.end()) {
      known->second = m_tick;
    } else if (MatchesAnyPattern(title)) {
      found = std::move(title);
    } else {
      m_nonMatchingTitles.emplace(std::move(title), m_tick);
    }
  });
  std::erase_if(m_nonMatchingTitles, [&](const auto& entry) { return entry.second != m_tick; });
  return found;
}

}  // namespace sopora
