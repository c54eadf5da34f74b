// SoporaHook.dll: system-wide keyboard and mouse hooks that post
// WM_INPUT_ACTIVITY to one window while a CSoporaHook object lives.
#pragma once

#include <windows.h>

#include "hooklib/input_activity.h"

#ifdef SOPORAHOOK_BUILDING
#define SOPORAHOOK_API __declspec(dllexport)
#else
#define SOPORAHOOK_API __declspec(dllimport)
#endif

class SOPORAHOOK_API CSoporaHook {
 public:
  // Installs both hooks for every thread of the desktop and reports to
  // hWnd. A hook that cannot be installed simply reports nothing.
  explicit CSoporaHook(HWND hWnd);
  // All state is shared by the library, so a copy installs nothing, and
  // destroying it removes the hooks of the object it was copied from.
  CSoporaHook(const CSoporaHook& other);
  CSoporaHook& operator=(const CSoporaHook& other);
  // Removes both hooks.
  virtual ~CSoporaHook();

 private:
  static LRESULT CALLBACK HookKeyBoardProc(int nCode, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK HookMouseProc(int nCode, WPARAM wParam, LPARAM lParam);
};
