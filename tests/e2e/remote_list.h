// Reads the lines of a list view, and the text of a tooltip, that belong to
// another process: the text buffer has to live in that process, so it is
// allocated there. Notification balloons are such tooltips.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <string_view>
#include <vector>

#include "framework/text_win.h"

namespace sopora::e2e {

// Sends `window` (of another process) a request whose text buffer lives in
// that process, and returns the text the window put there. `fill` points
// the request at the buffer.
template <class Request, class Fill>
std::string RemoteText(HWND window, UINT message, WPARAM wParam, Fill fill) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return {};
  constexpr SIZE_T TEXT_CHARS = 1024;
  // Committed pages are zero: a request the window ignores reads as "".
  void* remote = VirtualAllocEx(process, nullptr, sizeof(Request) + TEXT_CHARS * sizeof(wchar_t),
                                MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  std::string text;
  if (remote) {
    auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote) + sizeof(Request));
    Request request{};
    fill(request, remoteText, static_cast<int>(TEXT_CHARS));
    WriteProcessMemory(process, remote, &request, sizeof request, nullptr);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, message, wParam, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, 10000, &ignored);
    wchar_t local[TEXT_CHARS] = {};
    ReadProcessMemory(process, remoteText, local, sizeof local - sizeof(wchar_t), nullptr);
    text = NarrowCp932(local);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  return text;
}

inline std::string RemoteListViewText(HWND list, int item, int subItem) {
  return RemoteText<LVITEMW>(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                             [&](LVITEMW& request, wchar_t* buffer, int chars) {
                               request.iSubItem = subItem;
                               request.pszText = buffer;
                               request.cchTextMax = chars;
                             });
}

// The text of a tooltip window's first tool (a notification balloon's text).
inline std::string RemoteTooltipText(HWND tooltip) {
  return RemoteText<TTTOOLINFOW>(tooltip, TTM_ENUMTOOLSW, 0, [](TTTOOLINFOW& request, wchar_t* buffer, int) {
    request.cbSize = sizeof request;
    request.lpszText = buffer;
  });
}

// The tooltip windows of the notification area (the shell draws balloons
// with them) and their texts.
inline BOOL CALLBACK CollectBalloonText(HWND window, LPARAM found) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (std::wstring_view(name) == L"tooltips_class32" && IsWindowVisible(window) &&
      (GetWindowLongW(window, GWL_STYLE) & TTS_BALLOON)) {
    reinterpret_cast<std::vector<std::string>*>(found)->push_back(RemoteTooltipText(window));
  }
  return TRUE;
}

inline std::vector<std::string> BalloonTexts() {
  std::vector<std::string> texts;
  EnumWindows(CollectBalloonText, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

inline int ListViewCount(HWND list) {
  DWORD_PTR count = 0;
  SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 10000, &count);
  return static_cast<int>(count);
}

}  // namespace sopora::e2e
