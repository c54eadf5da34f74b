// CHistoryDlg: the power saving history window. Bars of the last 30 days
// or 12 months from the day book, the chosen bar's figures, the period's
// totals and the awake draw the estimate uses. It reads the book only when
// it is opened: hidden, it costs nothing.
#pragma once

#include <cstdint>
#include <vector>

#include "data/day_book.h"
#include "data/monitor_settings.h"
#include "dialogs/history_chart.h"
#include "framework/dialog.h"
#include "framework/window.h"

namespace sopora {

// What the window asks of the program.
class HistoryHost {
 public:
  virtual ~HistoryHost() = default;
  // The days counted so far, the ones not yet written included.
  virtual DayBook CurrentDayBook() = 0;
  // Keeps the awake draw the user typed, in Sopora.ini too; false when the
  // file could not be written.
  virtual bool SaveAwakeWatts(std::int32_t watts) = 0;
  // Whether a policy sets the awake draw: then the user cannot change it.
  virtual bool AwakeWattsManaged() const = 0;
};

// The chart: hovering or the arrow keys choose a bar, which it tells its
// parent with a WM_COMMAND of CHART_SELECTION_CHANGED.
class CHistoryChart : public CWnd {
 public:
  static constexpr WORD CHART_SELECTION_CHANGED = 1;

  bool Create(HWND parent, const RECT& rect, int id);
  // Shows the bars and chooses the last one, today's.
  void SetBars(std::vector<HistoryBar> bars, HistorySpan span);
  int Selected() const { return m_selected; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Select(int bar);
  void Paint(HDC dc);

  std::vector<HistoryBar> m_bars;
  HistorySpan m_span = HistorySpan::Days;
  int m_selected = -1;
  ChartLayout m_layout;  // as last painted, for hovering
  int m_plotLeft = 0;
  // Where the pointer was when the bars came: Windows also reports a
  // pointer that stands still when a window appears under it, which must
  // not move the selection away from today's bar.
  LPARAM m_pointer = -1;
};

class CHistoryDlg : public CDialog {
 public:
  CHistoryDlg(HistoryHost& host, const MonitorSettings& settings);

  // Reads the book afresh and shows the window in front.
  void Open();

 protected:
  BOOL OnInitDialog() override;
  void OnCancel() override;
  INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void ShowSpan(HistorySpan span);
  void ShowFigures();
  void ShowTotals();
  void OnWattsEdited();
  void KeepWatts();

  HistoryHost& m_host;
  const MonitorSettings& m_settings;
  HICON m_hIcon;  // shared resource icon, not destroyed
  CHistoryChart m_chart;
  DayBook m_book;
  CalendarDate m_today;
  HistorySpan m_span = HistorySpan::Days;
  std::vector<HistoryBar> m_bars;
  std::int32_t m_watts = DEFAULT_AWAKE_WATTS;
  bool m_wattsEdited = false;
};

}  // namespace sopora
