#include "data/operation_log.h"

#include <algorithm>
#include <cstdio>

namespace sopora {

void UnexpectedFailureLog::Report(std::string_view what) {
  if (std::find(m_reported.begin(), m_reported.end(), what) != m_reported.end()) return;
  if (m_reported.size() == DISTINCT_FAILURES) return;
  m_reported.emplace_back(what);
  m_log.AddLog(LOG_ERROR, "予期しないエラーが発生しました(" + std::string(what) + ")");
}

std::string FormatLogTimestamp(const SystemTime& time) {
  char text[48];  // room for any 16-bit field values
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", time.wYear, time.wMonth, time.wDay, time.wHour,
                time.wMinute, time.wSecond);
  return text;
}

}  // namespace sopora
