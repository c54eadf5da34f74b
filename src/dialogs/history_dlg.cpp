#include "dialogs/history_dlg.h"

#include <algorithm>
#include <string>

#include "data/clock_win.h"
#include "framework/text_win.h"
#include "framework/ui_language_win.h"
#include "framework/win_handles.h"
#include "res/resource.h"

namespace sopora {

namespace {
constexpr const wchar_t* CHART_CLASS = L"SoporaHistoryChart";
constexpr int GAP = 4;  // pixels between the chart's parts

bool HighContrast() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

// A part's box: its colour, or in high contrast the system's text colour
// on the window's, solid, hatched or empty, always framed.
void PaintPart(HDC dc, const RECT& box, DayColumn part, bool highContrast) {
  const PartStyle style = StyleOf(part);
  if (!highContrast) {
    const UniqueBrush brush(CreateSolidBrush(style.colour));
    FillRect(dc, &box, brush.Get());
    if (style.outlined) FrameRect(dc, &box, GetSysColorBrush(COLOR_BTNSHADOW));
    return;
  }
  const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
  if (style.hatch != EMPTY_PART) {
    const UniqueBrush brush(style.hatch == SOLID_PART ? CreateSolidBrush(text) : CreateHatchBrush(style.hatch, text));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    FillRect(dc, &box, brush.Get());
  }
  FrameRect(dc, &box, GetSysColorBrush(COLOR_WINDOWTEXT));
}

// Swatches with the parts' names, as many rows as the width needs; the
// bottom of the last row is returned.
int PaintLegend(HDC dc, int top, int width, int lineHeight, bool highContrast, bool measureOnly) {
  int x = 0, y = top;
  const auto paintStack = [&](std::span<const DayColumn> stack) {
    for (DayColumn part : stack) {
      const std::wstring name = UiString(PartName(part));
      SIZE size{};
      GetTextExtentPoint32W(dc, name.c_str(), static_cast<int>(name.size()), &size);
      const int itemWidth = lineHeight + GAP + size.cx + 3 * GAP;
      if (x > 0 && x + itemWidth > width) {
        x = 0;
        y += lineHeight;
      }
      if (!measureOnly) {
        const RECT swatch{x, y + 2, x + lineHeight - 4, y + lineHeight - 2};
        PaintPart(dc, swatch, part, highContrast);
        TextOutW(dc, x + lineHeight + GAP - 4, y, name.c_str(), static_cast<int>(name.size()));
      }
      x += itemWidth;
    }
    x = 0;  // the awake parts start a row of their own
    y += lineHeight;
  };
  paintStack(ASLEEP_STACK);
  paintStack(AWAKE_STACK);
  return y;
}

int TextWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}
}  // namespace

bool CHistoryChart::Create(HWND parent, const RECT& rect, int id) {
  RegisterWindowClass(CHART_CLASS, CS_HREDRAW | CS_VREDRAW, LoadCursorW(nullptr, IDC_ARROW), nullptr);
  return CreateEx(0, CHART_CLASS, nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP, rect, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void CHistoryChart::SetBars(std::vector<HistoryBar> bars, HistorySpan span) {
  m_bars = std::move(bars);
  m_span = span;
  m_selected = -1;
  POINT pointer;
  GetCursorPos(&pointer);
  ScreenToClient(m_hWnd, &pointer);
  m_pointer = MAKELPARAM(pointer.x, pointer.y);
  Select(static_cast<int>(m_bars.size()) - 1);
  InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CHistoryChart::Select(int bar) {
  if (m_bars.empty()) return;
  bar = std::clamp(bar, 0, static_cast<int>(m_bars.size()) - 1);
  if (bar == m_selected) return;
  m_selected = bar;
  InvalidateRect(m_hWnd, nullptr, TRUE);
  const int id = GetDlgCtrlID(m_hWnd);
  SendMessageW(GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(id, CHART_SELECTION_CHANGED),
               reinterpret_cast<LPARAM>(m_hWnd));
}

void CHistoryChart::Paint(HDC dc) {
  RECT client;
  GetClientRect(m_hWnd, &client);
  const bool highContrast = HighContrast();
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
  const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(GetParent(m_hWnd), WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const int lineHeight = metrics.tmHeight + 2;

  // From the bottom: the legend, the bars' labels, then the plot.
  const int legendHeight = PaintLegend(dc, 0, client.right, lineHeight, highContrast, true);
  const int legendTop = client.bottom - legendHeight;
  const int labelsTop = legendTop - lineHeight - GAP;
  m_plotLeft = TextWidth(dc, L"0000") + GAP;
  const int plotTop = lineHeight / 2;
  m_layout = LayOutChart(m_bars, m_span, client.right - m_plotLeft, labelsTop - plotTop);

  const COLORREF gridColour = GetSysColor(highContrast ? COLOR_GRAYTEXT : COLOR_BTNSHADOW);
  const UniquePen gridPen(CreatePen(PS_SOLID, 1, gridColour));
  const HGDIOBJ oldPen = SelectObject(dc, gridPen.Get());
  for (std::size_t line = 0; line < m_layout.gridLines.size(); ++line) {
    const int y = plotTop + m_layout.gridLines[line];
    MoveToEx(dc, m_plotLeft, y, nullptr);
    LineTo(dc, client.right, y);
    const std::wstring hours = std::to_wstring(line * m_layout.gridHours);
    TextOutW(dc, m_plotLeft - GAP - TextWidth(dc, hours), y - metrics.tmHeight / 2, hours.c_str(),
             static_cast<int>(hours.size()));
  }
  SelectObject(dc, oldPen);

  if (m_selected >= 0 && m_selected + 1 < static_cast<int>(m_layout.slotLefts.size())) {
    RECT slot{m_plotLeft + m_layout.slotLefts[m_selected], plotTop, m_plotLeft + m_layout.slotLefts[m_selected + 1],
              labelsTop + lineHeight};
    FillRect(dc, &slot, GetSysColorBrush(highContrast ? COLOR_HIGHLIGHT : COLOR_BTNFACE));
    if (GetFocus() == m_hWnd) DrawFocusRect(dc, &slot);
  }
  for (const ChartBox& box : m_layout.boxes) {
    const RECT rect{m_plotLeft + box.left, plotTop + box.top, m_plotLeft + box.right, plotTop + box.bottom};
    PaintPart(dc, rect, box.part, highContrast);
  }
  for (std::size_t bar = 0; bar < m_bars.size() && bar + 1 < m_layout.slotLefts.size(); ++bar) {
    const std::wstring label = WidenCp932(BarLabel(m_bars, bar, m_span));
    const int middle = m_plotLeft + (m_layout.slotLefts[bar] + m_layout.slotLefts[bar + 1]) / 2;
    SetTextColor(dc, GetSysColor(static_cast<int>(bar) == m_selected && highContrast ? COLOR_HIGHLIGHTTEXT
                                                                                     : COLOR_WINDOWTEXT));
    const int width = TextWidth(dc, label);  // today's label stays whole at the right edge
    TextOutW(dc, std::min(middle - width / 2, static_cast<int>(client.right) - width), labelsTop, label.c_str(),
             static_cast<int>(label.size()));
  }
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  PaintLegend(dc, legendTop, client.right, lineHeight, highContrast, false);
  SelectObject(dc, oldFont);
}

LRESULT CHistoryChart::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_KEYDOWN:
      switch (wParam) {
        case VK_LEFT: Select(m_selected - 1); return 0;
        case VK_RIGHT: Select(m_selected + 1); return 0;
        case VK_HOME: Select(0); return 0;
        case VK_END: Select(static_cast<int>(m_bars.size()) - 1); return 0;
        default: break;
      }
      break;
    case WM_MOUSEMOVE: {
      if (lParam == m_pointer) return 0;
      m_pointer = lParam;
      const int bar = BarAt(m_layout, static_cast<short>(LOWORD(lParam)) - m_plotLeft);
      if (bar >= 0) Select(bar);
      return 0;
    }
    case WM_LBUTTONDOWN:
      SetFocus(m_hWnd);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(m_hWnd, nullptr, TRUE);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // painted whole in WM_PAINT
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = BeginPaint(m_hWnd, &paint);
      Paint(dc);
      EndPaint(m_hWnd, &paint);
      return 0;
    }
    default:
      break;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

CHistoryDlg::CHistoryDlg(HistoryHost& host, const MonitorSettings& settings)
    : CDialog(IDD_HISTORY),
      m_host(host),
      m_settings(settings),
      m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

void CHistoryDlg::Open() {
  if (!m_hWnd) return;
  m_book = m_host.CurrentDayBook();
  m_watts = m_settings.Watts;
  SetItemText(IDC_HISTORY_WATTS, std::to_string(m_watts));
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_HISTORY_WATTS), !m_host.AwakeWattsManaged());
  m_wattsEdited = false;
  const SystemTime now = Win32LocalClock().LocalTime();
  m_today = {now.wYear, now.wMonth, now.wDay};
  ShowSpan(m_span);
  ShowWindow(SW_SHOW);
  SetForegroundWindow(m_hWnd);
}

BOOL CHistoryDlg::OnInitDialog() {
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  const HWND frame = GetDlgItem(IDC_HISTORY_CHART_FRAME);
  RECT rect;
  GetWindowRect(frame, &rect);
  MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
  m_chart.Create(m_hWnd, rect, IDC_HISTORY_CHART);
  // In the tab order after the period's buttons, where the frame is.
  SetWindowPos(m_chart.m_hWnd, frame, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  CheckRadioButton(m_hWnd, IDC_HISTORY_DAYS, IDC_HISTORY_MONTHS, IDC_HISTORY_DAYS);
  SendItemMessage(IDC_HISTORY_WATTS, EM_LIMITTEXT, 4);
  return TRUE;
}

void CHistoryDlg::ShowSpan(HistorySpan span) {
  m_span = span;
  m_bars = HistoryBars(m_book, m_today, m_span);
  m_chart.SetBars(m_bars, m_span);  // its selection shows the figures
  ShowTotals();
}

void CHistoryDlg::ShowFigures() {
  const int bar = m_chart.Selected();
  if (bar < 0 || bar >= static_cast<int>(m_bars.size())) return;
  SetItemText(IDC_HISTORY_FIGURES, BarFigures(UiText(), m_bars[bar], m_span));
}

void CHistoryDlg::ShowTotals() {
  SetItemText(IDC_HISTORY_TOTALS, Format(UiText(), TotalsLine(TotalsOf(m_bars, m_watts))));
}

// Every keystroke that leaves a draw in range updates the estimate; the
// file is written once the user leaves the box or the window.
void CHistoryDlg::OnWattsEdited() {
  BOOL number = FALSE;
  const UINT watts = GetDlgItemInt(m_hWnd, IDC_HISTORY_WATTS, &number, FALSE);
  if (!number || watts < 1 || watts > static_cast<UINT>(AWAKE_WATTS_LIMIT)) return;
  if (static_cast<std::int32_t>(watts) == m_watts) return;
  m_watts = static_cast<std::int32_t>(watts);
  m_wattsEdited = true;
  ShowTotals();
}

void CHistoryDlg::KeepWatts() {
  if (!m_wattsEdited) return;
  m_wattsEdited = false;
  if (!m_host.SaveAwakeWatts(m_watts)) {
    MessageBoxW(m_hWnd, UiString(IDS_SETTINGS_NOT_SAVED).c_str(), UiString(IDS_APP_TITLE).c_str(),
                MB_OK | MB_ICONWARNING);
  }
}

void CHistoryDlg::OnCancel() {
  KeepWatts();
  SetItemText(IDC_HISTORY_WATTS, std::to_string(m_watts));  // a draw out of range is not kept
  ShowWindow(SW_HIDE);
}

INT_PTR CHistoryDlg::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) {
    switch (LOWORD(wParam)) {
      case IDC_HISTORY_DAYS:
      case IDC_HISTORY_MONTHS:
        if (HIWORD(wParam) == BN_CLICKED) {
          const HistorySpan span = LOWORD(wParam) == IDC_HISTORY_DAYS ? HistorySpan::Days : HistorySpan::Months;
          if (span != m_span) ShowSpan(span);
        }
        return TRUE;
      case IDC_HISTORY_CHART:
        if (HIWORD(wParam) == CHistoryChart::CHART_SELECTION_CHANGED) ShowFigures();
        return TRUE;
      case IDC_HISTORY_WATTS:
        if (HIWORD(wParam) == EN_CHANGE) OnWattsEdited();
        if (HIWORD(wParam) == EN_KILLFOCUS) KeepWatts();
        return TRUE;
      default:
        break;
    }
  }
  return CDialog::DialogProc(message, wParam, lParam);
}

}  // namespace sopora
