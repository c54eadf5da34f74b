#include "data/event_log_win.h"

#include "framework/text_win.h"

namespace sopora {

namespace {
constexpr const wchar_t* EVENT_SOURCE = L"Sopora";

WORD EventType(EventLevel level) {
  switch (level) {
    case EventLevel::Warning: return EVENTLOG_WARNING_TYPE;
    case EventLevel::Error: return EVENTLOG_ERROR_TYPE;
    case EventLevel::Information: break;
  }
  return EVENTLOG_INFORMATION_TYPE;
}

// A failure must never read as success.
unsigned long LastErrorOfFailure() {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}
}  // namespace

unsigned long Win32EventSource::Report(EventLevel level, MessageId eventId,
                                      const std::vector<std::string>& insertions) {
  if (!m_source) {
    m_source.Reset(RegisterEventSourceW(nullptr, EVENT_SOURCE));
    if (!m_source) return LastErrorOfFailure();
  }
  std::vector<std::wstring> wide;
  for (const std::string& text : insertions) wide.push_back(WidenCp932(text));
  std::vector<LPCWSTR> strings;
  for (const std::wstring& text : wide) strings.push_back(text.c_str());
  const BOOL written = ReportEventW(m_source.Get(), EventType(level), 0, eventId, nullptr,
                                    static_cast<WORD>(strings.size()), 0, strings.empty() ? nullptr : strings.data(),
                                    nullptr);
  return written ? ERROR_SUCCESS : LastErrorOfFailure();
}

bool IsEventSourceRegistered() {
  constexpr const wchar_t* SOURCE_KEY = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Sopora";
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, SOURCE_KEY, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

}  // namespace sopora
