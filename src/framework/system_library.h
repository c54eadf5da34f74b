// Libraries of the system, loaded at run time from the system folder only:
// never from the program's folder, where a user (or anything running as
// the user) may have put a library of the same name.
#pragma once

#include <windows.h>

namespace sopora {

class SystemLibrary {
 public:
  // The library stays loaded for the rest of the process.
  explicit SystemLibrary(const wchar_t* name) : m_module(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {}

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
