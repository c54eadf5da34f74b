#include "dialogs/except_list_logic.h"

#include <cstring>

#include "data/data_store.h"
#include "text/text_field.h"

namespace sopora {

std::string PatternText(std::string_view text) { return std::string(Cp932Prefix(text, PATTERN_TEXT_BYTES)); }

Message PatternLimitText() { return {IDS_LIST_FULL, {std::to_string(EXCEPT_WND_ENTRY_LIMIT)}}; }

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
