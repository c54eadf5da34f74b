// SoporaHook.dll: system-wide keyboard and mouse hooks that post
// WM_INPUT_ACTIVITY to one window while a CSoporaHook object lives.
#pragma once

#include <windows.h>

#include <cstddef>
#include <new>

#include "hooklib/input_activity.h"

#ifdef SOPORAHOOK_BUILDING
#define SOPORAHOOK_API __declspec(dllexport)
#else
#define SOPORAHOOK_API __declspec(dllimport)
#endif

class SOPORAHOOK_API CSoporaHook {
 public:
  // Installs both hooks for every thread of the desktop and reports to
  // hWnd, which the hooked programs find in the session's listener mapping
  // (hooklib/listener_record.h): name it there first. A hook that cannot be
  // installed simply reports nothing.
  explicit CSoporaHook(HWND hWnd);
  // The hooks are the library's, one pair per process, so a copy installs
  // nothing, and destroying it removes the hooks of the object it was
  // copied from.
  CSoporaHook(const CSoporaHook& other);
  CSoporaHook& operator=(const CSoporaHook& other);
  // Removes both hooks.
  virtual ~CSoporaHook();

  // The object is allocated by the program and freed by the library's
  // deleting destructor, and the library has no C++ run-time of its own:
  // both sides use the process heap, whatever run-time each is built with.
  static void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return HeapAlloc(GetProcessHeap(), 0, size);
  }
  static void operator delete(void* object) noexcept {
    if (object) HeapFree(GetProcessHeap(), 0, object);
  }
  static void operator delete(void* object, const std::nothrow_t&) noexcept { operator delete(object); }

 private:
  static LRESULT CALLBACK HookKeyBoardProc(int nCode, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK HookMouseProc(int nCode, WPARAM wParam, LPARAM lParam);
};
