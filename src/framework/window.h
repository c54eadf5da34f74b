// The small window layer the program needs: a window object bound to its
// HWND from WM_NCCREATE to WM_NCDESTROY, whose virtual WindowProc sees
// every message in between.
#pragma once

#include <windows.h>

#include <functional>

namespace sopora {

// Receives what an exception said that reached a window or dialog procedure
// (nothing may unwind into the system's code); the program logs it.
void SetUnexpectedFailureHandler(std::function<void(const char* what)> handler);
// Hands the exception being handled to that handler; never throws.
void ReportCurrentException() noexcept;

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // Creates the window with `this` as its creation parameter, so it is
  // bound before its first messages (WM_NCCREATE, WM_CREATE) arrive.
  bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, const RECT& rect,
                HWND parent, HMENU menuOrId);

  // Registers a window class whose procedure dispatches to CWnd objects.
  static bool RegisterWindowClass(const wchar_t* className, UINT classStyle, HCURSOR cursor, HBRUSH background);

  bool DestroyWindow();

  HWND m_hWnd = nullptr;

 protected:
  // Messages of the bound window; the default is DefWindowProcW.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace sopora
