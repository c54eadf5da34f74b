// Move-only owners of the platform handles the program keeps, so each is
// released exactly once, on every path.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <utility>

namespace sopora {

template <class Handle, auto Free, Handle Empty = nullptr>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : m_handle(handle) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, Empty)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      m_handle = std::exchange(other.m_handle, Empty);
    }
    return *this;
  }

  Handle Get() const { return m_handle; }
  explicit operator bool() const { return m_handle != Empty; }
  void Reset(Handle handle = Empty) {
    if (m_handle != Empty) Free(m_handle);
    m_handle = handle;
  }
  // Gives up ownership.
  Handle Release() { return std::exchange(m_handle, Empty); }

 private:
  Handle m_handle = Empty;
};

using UniqueKernelHandle = UniqueHandle<HANDLE, CloseHandle>;
// CreateFileW reports failure as INVALID_HANDLE_VALUE; the owner keeps it as empty.
inline UniqueKernelHandle FileHandle(HANDLE handle) {
  return UniqueKernelHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}
// FindFirstFileW reports failure as INVALID_HANDLE_VALUE; the owner keeps it as empty.
using UniqueFindHandle = UniqueHandle<HANDLE, FindClose>;
inline UniqueFindHandle FindHandle(HANDLE handle) {
  return UniqueFindHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}
// The program's own access token; empty when it cannot be opened.
inline UniqueKernelHandle OpenOwnToken(DWORD access) {
  HANDLE token = nullptr;
  return UniqueKernelHandle(OpenProcessToken(GetCurrentProcess(), access, &token) ? token : nullptr);
}
// Memory the system allocated for a string or a descriptor it returned.
using UniqueLocalMemory = UniqueHandle<HLOCAL, LocalFree>;
using UniqueTaskMemory = UniqueHandle<void*, CoTaskMemFree>;
using UniqueIcon = UniqueHandle<HICON, DestroyIcon>;
using UniqueMenu = UniqueHandle<HMENU, DestroyMenu>;
using UniquePen = UniqueHandle<HPEN, DeleteObject>;
using UniqueBrush = UniqueHandle<HBRUSH, DeleteObject>;
using UniqueImageList = UniqueHandle<HIMAGELIST, ImageList_Destroy>;
// A view of a file mapping, typed as what the mapping holds.
template <class Record>
using UniqueMappedView = UniqueHandle<Record*, UnmapViewOfFile>;

// The paint of a window's update region: EndPaint follows BeginPaint on
// every path.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : m_window(window) { BeginPaint(window, &m_paint); }
  ~PaintDc() { EndPaint(m_window, &m_paint); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;

 private:
  HWND m_window;
  PAINTSTRUCT m_paint{};
};

// A window's device context with the window's own font selected, for
// measuring text as the window draws it; both are put back on every path.
class WindowFontDc {
 public:
  explicit WindowFontDc(HWND window)
      : m_window(window),
        m_dc(GetDC(window)),
        m_previousFont(SelectObject(m_dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0)))) {}
  ~WindowFontDc() {
    SelectObject(m_dc, m_previousFont);
    ReleaseDC(m_window, m_dc);
  }
  WindowFontDc(const WindowFontDc&) = delete;
  WindowFontDc& operator=(const WindowFontDc&) = delete;

  HDC Get() const { return m_dc; }

 private:
  HWND m_window;
  HDC m_dc;
  HGDIOBJ m_previousFont;
};

}  // namespace sopora
