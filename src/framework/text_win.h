// Conversion between the program's CP932 text and the UTF-16 of the W API.
// The code page is named explicitly, so Japanese is right on every locale.
#pragma once

#include <string>
#include <string_view>

namespace sopora {

inline constexpr unsigned CP_SHIFT_JIS = 932;

std::wstring WidenCp932(std::string_view text);
// Characters CP932 cannot spell become "?".
std::string NarrowCp932(std::wstring_view text);

}  // namespace sopora
