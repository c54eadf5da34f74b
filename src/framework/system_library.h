// Libraries of the system, loaded at run time from the system folder only:
// never from the program's folder, where a user (or anything running as
// the user) may have put a library of the same name.
#pragma once

#include <windows.h>

#include <string>

namespace sopora {

// SetDefaultDllDirectories, or null where LoadLibraryExW takes none of the
// LOAD_LIBRARY_SEARCH_* flags either (Windows 7 without update KB2533623).
// Looked up, not imported, so that the program starts there too.
using SetDefaultDllDirectoriesFunction = BOOL WINAPI(DWORD);
inline SetDefaultDllDirectoriesFunction* FindSetDefaultDllDirectories() {
  return reinterpret_cast<SetDefaultDllDirectoriesFunction*>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
}

// Loads the library by its full path in the system folder. Its own
// dependencies are then searched from that folder first
// (LOAD_WITH_ALTERED_SEARCH_PATH), not from the program's.
inline HMODULE LoadFromSystemFolder(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  const std::wstring path = std::wstring(folder, length) + L"\\" + name;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

class SystemLibrary {
 public:
  // The library stays loaded for the rest of the process.
  explicit SystemLibrary(const wchar_t* name)
      : m_module(FindSetDefaultDllDirectories() ? LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)
                                                : LoadFromSystemFolder(name)) {}

  // The named export as a pointer of the function's own type; null when
  // the library or the function is missing.
  template <class Function>
  Function* Find(const char* name) const {
    if (!m_module) return nullptr;
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(m_module, name)));
  }

 private:
  HMODULE m_module;
};

}  // namespace sopora
