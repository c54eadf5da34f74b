// Fixed-size CP932 text fields: every read stops at the field's end and
// every write keeps whole characters, so a lead byte never stands alone.
#pragma once

#include <cstddef>
#include <string_view>

namespace sopora {

constexpr bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The longest prefix of `text` that is at most `maxBytes` long and does not
// end in the middle of a double-byte character.
std::string_view Cp932Prefix(std::string_view text, std::size_t maxBytes);

// Zero-fills the field, then copies as much of `text` as fits in front of a
// terminating NUL (stopping early at an embedded NUL).
void CopyTextToField(char* field, std::size_t fieldSize, std::string_view text);

// The text of a field: up to its first NUL, or the whole field without one.
std::string_view TextOfField(const char* field, std::size_t fieldSize);

template <std::size_t N>
void CopyTextToField(char (&field)[N], std::string_view text) {
  CopyTextToField(field, N, text);
}

template <std::size_t N>
std::string_view TextOfField(const char (&field)[N]) {
  return TextOfField(field, N);
}

}  // namespace sopora
