#include "dialogs/except_list_logic.h"

#include <cstdio>
#include <cstring>

#include "data/data_store.h"
#include "data/text_field.h"

namespace sopora {

std::string PatternText(std::string_view text) { return std::string(Cp932Prefix(text, PATTERN_TEXT_BYTES)); }

std::string PatternLimitText() {
  char text[96];
  std::snprintf(text, sizeof text, "例外ウィンドウは %u 個まで登録できます。",
                static_cast<unsigned>(EXCEPT_WND_ENTRY_LIMIT));
  return text;
}

std::vector<ExceptWndEntry> EntriesFromLines(const std::vector<std::string>& lines) {
  std::vector<ExceptWndEntry> entries;
  for (const std::string& line : lines) {
    ExceptWndEntry entry;
    std::memset(&entry, 0, sizeof entry);
    CopyTextToField(entry.title, PatternText(line));
    if (entry.title[0] == '\0') continue;  // an emptied line is no pattern
    entries.push_back(entry);
  }
  return entries;
}

}  // namespace sopora
