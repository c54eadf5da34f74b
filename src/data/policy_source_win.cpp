#include "data/policy_source_win.h"

#include <cstring>
#include <memory>
#include <type_traits>

#include "framework/text_win.h"

namespace sopora {

namespace {
constexpr const wchar_t* SOPORA_POLICY_KEY = L"SOFTWARE\\Policies\\Sopora";
constexpr REGSAM VIEW_64 = KEY_WOW64_64KEY;

HKEY RootOf(PolicyScope scope) { return scope == PolicyScope::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};

// The text of a REG_SZ as stored, which need not end with a null.
std::string TextOf(const wchar_t* data, DWORD bytes) {
  std::wstring_view text(data, bytes / sizeof(wchar_t));
  if (const std::size_t end = text.find(L'\0'); end != std::wstring_view::npos) text = text.substr(0, end);
  return NarrowCp932(text);
}
}  // namespace

std::optional<SettingValue> Win32PolicySource::ReadValue(PolicyScope scope, const char* name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(RootOf(scope), SOPORA_POLICY_KEY, 0, KEY_QUERY_VALUE | VIEW_64, &opened) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser> key(opened);
  // Long enough for any text a setting holds; a longer one is unusable.
  wchar_t data[260];
  DWORD type = 0;
  DWORD bytes = sizeof data;
  const LONG status =
      RegQueryValueExW(key.get(), WidenCp932(name).c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes);
  if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
  if (status != ERROR_SUCCESS) return std::string();
  if (type == REG_DWORD && bytes == sizeof(DWORD)) {
    DWORD number = 0;
    std::memcpy(&number, data, sizeof number);
    return static_cast<std::int32_t>(number);
  }
  if (type == REG_SZ) return TextOf(data, bytes);
  return std::string();
}

PolicyChangeWatch::~PolicyChangeWatch() {
  for (Watched& watched : m_watched) {
    // Waits for a callback under way, so none runs after this.
    if (watched.wait) UnregisterWaitEx(watched.wait, INVALID_HANDLE_VALUE);
    if (watched.key) RegCloseKey(watched.key);
  }
}

void PolicyChangeWatch::Start(HWND window, UINT message) {
  m_window = window;
  m_message = message;
  for (std::size_t at = 0; at < m_watched.size(); ++at) {
    Watched& watched = m_watched[at];
    const HKEY root = at == 0 ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    // Windows always has the Policies key; should it be missing, the
    // software key above it is watched instead.
    for (const wchar_t* path : {L"SOFTWARE\\Policies", L"SOFTWARE"}) {
      if (RegOpenKeyExW(root, path, 0, KEY_NOTIFY | VIEW_64, &watched.key) == ERROR_SUCCESS) break;
      watched.key = nullptr;
    }
    watched.changed.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!watched.key || !watched.changed) continue;
    RegisterWaitForSingleObject(&watched.wait, watched.changed.Get(), OnChanged, this, INFINITE, WT_EXECUTEDEFAULT);
  }
  Rearm();
}

void PolicyChangeWatch::Rearm() {
  constexpr DWORD CHANGES = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
  for (Watched& watched : m_watched) {
    if (watched.key && watched.wait) RegNotifyChangeKeyValue(watched.key, TRUE, CHANGES, watched.changed.Get(), TRUE);
  }
}

// On a thread of the pool: only tells the window.
void CALLBACK PolicyChangeWatch::OnChanged(void* context, BOOLEAN) {
  const auto* watch = static_cast<const PolicyChangeWatch*>(context);
  PostMessageW(watch->m_window, watch->m_message, 0, 0);
}

}  // namespace sopora
