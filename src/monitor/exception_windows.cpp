// Exception-window detection: which open windows count, and whether a
// registered title pattern matches one of them.
#include <string_view>

#include "data/data_store.h"
#include "data/text_field.h"

namespace sopora {

namespace {
constexpr std::string_view IGNORED_TITLE = "Program Manager";      // the desktop itself
constexpr std::string_view IGNORED_CLASS = "tooltips_class32";     // tooltips carry titles too

// The filters of one enumerated window, in the order the platform calls are
// cheapest to make; only windows a user would call "open" are kept.
bool CollectTopWindow(WindowSource& windows, WindowId window, ExceptWndEntry& entry) {
  const std::string title = windows.Title(window);
  if (title.empty() || !windows.IsVisible(window) || windows.HasParent(window)) return false;
  if (title == IGNORED_TITLE) return false;
  const std::string className = windows.ClassName(window);
  if (className == IGNORED_CLASS) return false;
  CopyTextToField(entry.title, title);
  CopyTextToField(entry.className, className);
  return true;
}
}  // namespace

int CDataStore::EnumTopWindows(std::vector<ExceptWndEntry>& out) {
  m_services.windows.ForEachTopWindow([&](WindowId window) {
    ExceptWndEntry entry;
    if (CollectTopWindow(m_services.windows, window, entry)) out.push_back(entry);
  });
  return static_cast<int>(out.size());
}

bool CDataStore::IsExceptWindowPresent() {
  std::vector<ExceptWndEntry> patterns;
  LoadExceptWnd(patterns);
  if (patterns.empty()) return false;  // nothing registered: no need to look at windows

  std::vector<ExceptWndEntry> windows;
  if (EnumTopWindows(windows) == 0) return false;
  for (const ExceptWndEntry& pattern : patterns) {
    for (const ExceptWndEntry& window : windows) {
      if (MatchWildcard(TextOfField(pattern.title), TextOfField(window.title))) return true;
    }
  }
  return false;
}

// Greedy matching that remembers only the position after the last "*":
// when a later literal part fails, that star absorbs one more byte and the
// rest is tried again. Earlier stars never need revisiting, so the work is
// bounded by pattern length x text length instead of growing exponentially
// with the number of stars.
bool CDataStore::MatchWildcard(std::string_view pattern, std::string_view text) {
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

}  // namespace sopora
