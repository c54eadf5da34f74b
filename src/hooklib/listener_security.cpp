#include "hooklib/listener_security.h"

#include <cstdint>

namespace sopora {

namespace {
// A decimal number of at most `maxDigits` digits and at most `maxValue`.
bool IsDecimal(std::wstring_view text, std::size_t maxDigits, std::uint64_t maxValue) {
  if (text.empty() || text.size() > maxDigits) return false;
  std::uint64_t value = 0;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - L'0');
  }
  return value <= maxValue;
}

// The 48-bit identifier authority: decimal, or 0x and twelve hex digits,
// as Windows writes those of 2^32 and more.
bool IsAuthority(std::wstring_view text) {
  if (text.size() == 14 && text.substr(0, 2) == L"0x") {
    return text.find_first_not_of(L"0123456789ABCDEFabcdef", 2) == std::wstring_view::npos;
  }
  return IsDecimal(text, 15, 0xFFFFFFFFFFFFull);
}

// S-1-<authority>-<subauthority>[-...]: revision 1, one to fifteen 32-bit
// subauthorities.
bool IsSidString(std::wstring_view sid) {
  constexpr std::wstring_view REVISION = L"S-1-";
  if (sid.substr(0, REVISION.size()) != REVISION) return false;
  sid.remove_prefix(REVISION.size());
  std::size_t dash = sid.find(L'-');
  if (!IsAuthority(sid.substr(0, dash))) return false;
  std::size_t subauthorities = 0;
  while (dash != std::wstring_view::npos) {
    sid.remove_prefix(dash + 1);
    dash = sid.find(L'-');
    if (!IsDecimal(sid.substr(0, dash), 10, 0xFFFFFFFFull)) return false;
    ++subauthorities;
  }
  return subauthorities >= 1 && subauthorities <= 15;
}
}  // namespace

std::optional<std::wstring> ListenerMappingSddl(std::wstring_view readerSid) {
  if (!IsSidString(readerSid)) return std::nullopt;
  // 0x4 is FILE_MAP_READ (SECTION_MAP_READ): all a reader needs for a view.
  return L"D:P(A;;0x4;;;" + std::wstring(readerSid) + L")(A;;RC;;;OW)S:(ML;;NW;;;ME)";
}

}  // namespace sopora
