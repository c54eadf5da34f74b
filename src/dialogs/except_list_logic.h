// The exception-window registration's list rules: which lines are written
// and how a text becomes a pattern.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/records.h"
#include "text/messages.h"

namespace sopora {

inline constexpr std::size_t PATTERN_TEXT_BYTES = 259;  // 260-byte buffers with their NUL

// Every line in list order as a zero-filled entry with its text as title,
// cut to 259 bytes at a character boundary; empty lines are left out.
std::vector<ExceptWndEntry> EntriesFromLines(const std::vector<std::string>& lines);

// A text as the dialogs read it from a control: at most 259 bytes, whole
// characters.
std::string PatternText(std::string_view text);

// What the registration dialog says when the list is full: a longer list
// would not be loaded again.
Message PatternLimitText();

}  // namespace sopora
