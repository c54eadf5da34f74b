// The title matcher written literally as its definition reads: recursive,
// backtracking on every star. The production matcher must agree with it on
// every pair; the benchmarks measure how much faster it is.
#pragma once

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

}  // namespace sopora
