#include "framework/window.h"

#include <exception>

namespace sopora {

namespace {
std::function<void(const char*)>& FailureHandler() {
  static std::function<void(const char*)> handler;
  return handler;
}
}  // namespace

void SetUnexpectedFailureHandler(std::function<void(const char*)> handler) { FailureHandler() = std::move(handler); }

void ReportCurrentException() noexcept {
  try {
    try {
      throw;
    } catch (const std::exception& exception) {
      if (FailureHandler()) FailureHandler()(exception.what());
    } catch (...) {
      if (FailureHandler()) FailureHandler()("unknown exception");
    }
  } catch (...) {
    // Reporting failed too (no memory, say): nothing more can be done.
  }
}

CWnd::~CWnd() {
  if (m_hWnd && IsWindow(m_hWnd)) ::DestroyWindow(m_hWnd);
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* title, DWORD style, const RECT& rect,
                    HWND parent, HMENU menuOrId) {
  const HWND created =
      CreateWindowExW(exStyle, className, title, style, rect.left, rect.top, rect.right - rect.left,
                      rect.bottom - rect.top, parent, menuOrId, GetModuleHandleW(nullptr), this);
  return created != nullptr;
}

bool CWnd::RegisterWindowClass(const wchar_t* className, UINT classStyle, HCURSOR cursor, HBRUSH background) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = classStyle;
  windowClass.lpfnWndProc = StaticWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = cursor;
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = className;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool CWnd::DestroyWindow() { return m_hWnd && ::DestroyWindow(m_hWnd); }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<CWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->m_hWnd = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<CWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self) return DefWindowProcW(window, message, wParam, lParam);  // messages before WM_NCCREATE

  LRESULT result = 0;
  try {
    result = self->WindowProc(message, wParam, lParam);
  } catch (...) {
    // Nothing may unwind into the system's code; the message counts as handled.
    ReportCurrentException();
    result = 0;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->m_hWnd = nullptr;
  }
  return result;
}

}  // namespace sopora
