// The title matcher written literally as its definition reads: recursive,
// backtracking on every star. The production matcher must agree with it on
// every pair; the benchmarks measure how much faster it is.
#pragma once

#include <string_view>
#include <vector>

namespace sopora {

inline bool ReferenceMatchWildcard(const char* p, const char* t) {
  if (*p == '\0') return *t == '\0';
  if (*p == '*') {
    if (ReferenceMatchWildcard(p + 1, t)) return true;
    if (*t == '\0') return false;
    return ReferenceMatchWildcard(p, t + 1);
  }
  if (*p == '?') {
    if (*t == '\0') return false;
    return ReferenceMatchWildcard(p + 1, t + 1);
  }
  if (*p != *t) return false;
  return ReferenceMatchWildcard(p + 1, t + 1);
}

// The same definition with every (pattern position, text position) pair
// worked out at most once: its work is bounded by pattern length x text
// length for any input, so a fuzzer can use it as its oracle.
inline bool MemoizedReferenceMatch(std::string_view pattern, std::string_view text) {
  const std::size_t columns = text.size() + 1;
  std::vector<signed char> known((pattern.size() + 1) * columns, -1);
  auto match = [&](auto& self, std::size_t p, std::size_t t) -> bool {
    signed char& answer = known[p * columns + t];
    if (answer >= 0) return answer != 0;
    bool result;
    if (p == pattern.size()) {
      result = t == text.size();
    } else if (pattern[p] == '*') {
      result = self(self, p + 1, t) || (t < text.size() && self(self, p, t + 1));
    } else {
      result = t < text.size() && (pattern[p] == '?' || pattern[p] == text[t]) && self(self, p + 1, t + 1);
    }
    answer = result ? 1 : 0;
    return result;
  };
  return match(match, 0, 0);
}

}  // namespace sopora
