#include "dialogs/load_meter_win.h"

#include <commctrl.h>

#include "res/resource.h"

namespace sopora {

namespace {
constexpr const wchar_t* METER_CLASS = L"SoporaLoadMeter";

// GDI under the drawing: each pen is created, selected, used, put back and
// deleted before the next one.
class GdiMeterCanvas : public MeterCanvas {
 public:
  GdiMeterCanvas(HDC dc, HIMAGELIST digits) : m_dc(dc), m_digits(digits) {}
  ~GdiMeterCanvas() override { ReleasePen(); }
  GdiMeterCanvas(const GdiMeterCanvas&) = delete;
  GdiMeterCanvas& operator=(const GdiMeterCanvas&) = delete;

  void Fill(int width, int height, Colour colour) override {
    const UniqueBrush brush(CreateSolidBrush(colour));
    const RECT rect{0, 0, width, height};
    FillRect(m_dc, &rect, brush.Get());
  }
  void SelectPen(int width, Colour colour) override {
    ReleasePen();
    m_pen.Reset(CreatePen(PS_SOLID, width, colour));
    m_previous = SelectObject(m_dc, m_pen.Get());
  }
  void MoveTo(int x, int y) override { MoveToEx(m_dc, x, y, nullptr); }
  void LineTo(int x, int y) override { ::LineTo(m_dc, x, y); }
  void DrawDigit(int digit, int x, int y) override { ImageList_Draw(m_digits, digit, m_dc, x, y, ILD_NORMAL); }

 private:
  void ReleasePen() {
    if (!m_pen) return;
    SelectObject(m_dc, m_previous);
    m_pen.Reset();
  }

  HDC m_dc;
  HIMAGELIST m_digits;
  UniquePen m_pen;
  HGDIOBJ m_previous = nullptr;
};
}  // namespace

bool CLoadMeter::Create(HWND parent, int id) {
  RegisterWindowClass(METER_CLASS, 0, LoadCursorW(nullptr, IDC_ARROW), nullptr);
  const RECT empty{};
  return CreateEx(0, METER_CLASS, nullptr, WS_CHILD | WS_VISIBLE, empty, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void CLoadMeter::SetStyle(const LoadMeterStyle& style) {
  m_model.SetStyle(style);
  Redraw();
}

void CLoadMeter::SetSamples(std::vector<std::int32_t> history) {
  m_model.SetSamples(std::move(history));
  Redraw();
}

// All drawing happens in the erase handler, so every redraw asks for it.
void CLoadMeter::Redraw() {
  if (m_hWnd) RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CLoadMeter::LoadDigitGlyphs() {
  m_digits.Reset(ImageList_Create(DIGIT_WIDTH, DIGIT_HEIGHT, ILC_MASK | ILC_COLOR8, 0, 1));
  // Digits 0 to 8 are icons 145 to 153, digit 9 is icon 144: the list index is the digit.
  for (int digit = 0; digit <= 9; ++digit) {
    const int id = digit == 9 ? IDI_DIGIT_9 : IDI_DIGIT_0 + digit;
    const UniqueIcon glyph(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, DIGIT_WIDTH, DIGIT_HEIGHT, 0)));
    ImageList_ReplaceIcon(m_digits.Get(), -1, glyph.Get());
  }
}

LRESULT CLoadMeter::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      LoadDigitGlyphs();
      return 0;
    case WM_DESTROY:
      m_digits.Reset();
      return 0;
    case WM_PAINT: {
      const PaintDc paint(m_hWnd);  // the meter is drawn on WM_ERASEBKGND, which BeginPaint sends
      return 0;
    }
    case WM_ERASEBKGND: {
      RECT client;
      GetClientRect(m_hWnd, &client);
      GdiMeterCanvas canvas(reinterpret_cast<HDC>(wParam), m_digits.Get());
      m_model.Draw(canvas, client.right, client.bottom);
      return 0;
    }
    default:
      return CWnd::WindowProc(message, wParam, lParam);
  }
}

}  // namespace sopora
