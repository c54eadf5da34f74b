// The few list-view operations the exception-window dialogs share.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "data/records.h"

namespace sopora {

// One column that fills the header, and the dialogs' extended style.
void SetUpSingleColumnList(HWND list, const wchar_t* heading, DWORD extendedStyle);
// Inserts a text line (the sorted list puts it in place).
void InsertTextLine(HWND list, const std::string& text);
// Replaces all lines with the entries' titles.
void ReplaceLinesWithTitles(HWND list, const std::vector<ExceptWndEntry>& entries);
// A line's text, at most 259 bytes.
std::string LineText(HWND list, int line);
std::vector<std::string> AllLineTexts(HWND list);
// The first line, in list order, whose state is selected; -1 when none is.
int FirstSelectedLine(HWND list);

}  // namespace sopora
