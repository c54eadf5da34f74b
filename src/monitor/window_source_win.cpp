#include "monitor/window_source_win.h"

#include <windows.h>

#include "framework/text_win.h"
#include "text/text_field.h"

namespace sopora {

namespace {
constexpr std::size_t TEXT_FIELD_BYTES = 259;  // what a 260-byte field holds before its NUL

HWND ToHwnd(WindowId window) { return reinterpret_cast<HWND>(window); }

std::string FitToField(const std::wstring& text) {
  return std::string(Cp932Prefix(NarrowCp932(text), TEXT_FIELD_BYTES));
}

BOOL CALLBACK VisitTopWindow(HWND window, LPARAM visitor) {
  (*reinterpret_cast<const std::function<void(WindowId)>*>(visitor))(reinterpret_cast<WindowId>(window));
  return TRUE;  // never stop early
}
}  // namespace

void Win32WindowSource::ForEachTopWindow(const std::function<void(WindowId)>& visit) {
  EnumWindows(VisitTopWindow, reinterpret_cast<LPARAM>(&visit));
}

std::string Win32WindowSource::Title(WindowId window) {
  wchar_t text[TEXT_FIELD_BYTES + 1];
  const int length = GetWindowTextW(ToHwnd(window), text, static_cast<int>(std::size(text)));
  return FitToField(std::wstring(text, static_cast<std::size_t>(std::max(length, 0))));
}

std::string Win32WindowSource::ClassName(WindowId window) {
  wchar_t name[TEXT_FIELD_BYTES + 1];
  const int length = GetClassNameW(ToHwnd(window), name, static_cast<int>(std::size(name)));
  return FitToField(std::wstring(name, static_cast<std::size_t>(std::max(length, 0))));
}

bool Win32WindowSource::IsVisible(WindowId window) { return IsWindowVisible(ToHwnd(window)) != FALSE; }

bool Win32WindowSource::HasParent(WindowId window) { return GetParent(ToHwnd(window)) != nullptr; }

}  // namespace sopora
