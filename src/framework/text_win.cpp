#include "framework/text_win.h"

#include <windows.h>

namespace sopora {

std::wstring WidenCp932(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_SHIFT_JIS, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_SHIFT_JIS, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string NarrowCp932(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(CP_SHIFT_JIS, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_SHIFT_JIS, WC_NO_BEST_FIT_CHARS, text.data(), size, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

}  // namespace sopora
