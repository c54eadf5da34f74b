#pragma once

#include "framework/window.h"

namespace sopora {

// The frame's blank client area: it paints nothing, so the class
// background shows.
class CClientView : public CWnd {
 public:
  bool Create(HWND parent);

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

}  // namespace sopora
