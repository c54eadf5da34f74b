#include "dialogs/list_view_win.h"

#include <commctrl.h>

#include "dialogs/except_list_logic.h"
#include "framework/text_win.h"
#include "text/text_field.h"

namespace sopora {

void SetUpSingleColumnList(HWND list, const wchar_t* heading, DWORD extendedStyle) {
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
  column.fmt = LVCFMT_LEFT;
  column.cx = 100;
  column.pszText = const_cast<wchar_t*>(heading);
  ListView_InsertColumn(list, 0, &column);
  ListView_SetColumnWidth(list, 0, LVSCW_AUTOSIZE_USEHEADER);
  ListView_SetExtendedListViewStyle(list, extendedStyle);
}

void InsertTextLine(HWND list, const std::string& text) {
  std::wstring wide = WidenCp932(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = 0;
  item.pszText = wide.data();
  ListView_InsertItem(list, &item);
}

void ReplaceLinesWithTitles(HWND list, const std::vector<ExceptWndEntry>& entries) {
  ListView_DeleteAllItems(list);
  for (const ExceptWndEntry& entry : entries) InsertTextLine(list, std::string(TextOfField(entry.title)));
}

std::string LineText(HWND list, int line) {
  wchar_t text[PATTERN_TEXT_BYTES + 1] = {};
  ListView_GetItemText(list, line, 0, text, static_cast<int>(std::size(text)));
  return PatternText(NarrowCp932(text));
}

std::vector<std::string> AllLineTexts(HWND list) {
  std::vector<std::string> texts;
  const int count = ListView_GetItemCount(list);
  for (int line = 0; line < count; ++line) texts.push_back(LineText(list, line));
  return texts;
}

int FirstSelectedLine(HWND list) {
  const int count = ListView_GetItemCount(list);
  for (int line = 0; line < count; ++line) {
    if (ListView_GetItemState(list, line, LVIS_SELECTED) & LVIS_SELECTED) return line;
  }
  return -1;
}

}  // namespace sopora
