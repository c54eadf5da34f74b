#include "app/client_view.h"

#include "framework/win_handles.h"

namespace sopora {

namespace {
constexpr const wchar_t* VIEW_CLASS = L"SoporaView";
constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;
}  // namespace

bool CClientView::Create(HWND parent) {
  RegisterWindowClass(VIEW_CLASS, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, LoadCursorW(nullptr, IDC_ARROW),
                      reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  const RECT empty{};
  return CreateEx(WS_EX_CLIENTEDGE, VIEW_CLASS, nullptr, WS_CHILD | WS_VISIBLE, empty, parent,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_PANE_FIRST)));
}

LRESULT CClientView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    const PaintDc paint(m_hWnd);  // the view draws nothing: its region is only validated
    return 0;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

}  // namespace sopora
