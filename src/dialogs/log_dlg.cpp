#include "dialogs/log_dlg.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/text_win.h"
#include "framework/ui_language_win.h"
#include "res/resource.h"
#include "text/text_field.h"

namespace sopora {

namespace {
constexpr DWORD LOG_LIST_EXTENDED_STYLE = 0x522;  // sub-item images, full-row select, flat bars, info tips

constexpr int STATE_COLUMN_WIDTH = 18;
constexpr int TIME_COLUMN_WIDTH = 120;

// 120 pixels hold a time stamp in the usual Japanese UI font; where the
// font is wider the column grows, so no time stamp is cut off.
int TimeColumnWidth(HWND list) {
  constexpr int CELL_PADDING = 14;
  const int text = ListView_GetStringWidth(list, const_cast<wchar_t*>(L"0000/00/00 00:00:00"));
  return std::max(TIME_COLUMN_WIDTH, text + CELL_PADDING);
}

// The text column takes the rest of the list's width, leaving room for the
// vertical scroll bar that appears once the list fills, so the lines never
// need a horizontal one.
int ContentColumnWidth(HWND list) {
  RECT client;
  GetClientRect(list, &client);
  const int used = ListView_GetColumnWidth(list, 0) + ListView_GetColumnWidth(list, 1);
  return std::max(50, static_cast<int>(client.right) - used - GetSystemMetrics(SM_CXVSCROLL));
}

void InsertColumn(HWND list, int index, const wchar_t* heading, int width) {
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = width;
  column.pszText = const_cast<wchar_t*>(heading);
  column.iSubItem = index;
  ListView_InsertColumn(list, index, &column);
}
}  // namespace

CLogDlg::CLogDlg(LogBook& log, std::function<void()> showHistory)
    : CDialog(IDD_LOG),
      m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_log(log),
      m_showHistory(std::move(showHistory)) {}

void CLogDlg::ShowLogItems(const std::vector<LogRecord>& records) {
  if (!m_list) return;
  SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(m_list);
  for (const LogRecord& record : records) InsertLogItem(record);  // the newest ends on top
  SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(m_list, nullptr, TRUE);
}

void CLogDlg::InsertLogItem(const LogRecord& record) {
  if (!m_list) return;
  if (ListView_GetItemCount(m_list) >= static_cast<int>(LOG_RECORD_LIMIT)) {
    ListView_DeleteItem(m_list, ListView_GetItemCount(m_list) - 1);
  }
  LVITEMW item{};
  item.mask = LVIF_IMAGE | LVIF_TEXT;
  item.iItem = 0;
  item.iImage = record.kind;
  item.pszText = const_cast<wchar_t*>(L"");
  const int row = ListView_InsertItem(m_list, &item);
  std::wstring timestamp = WidenCp932(FormatLogTimestamp(record.time));
  std::wstring text = WidenCp932(TextOfField(record.text));
  ListView_SetItemText(m_list, row, 1, timestamp.data());
  ListView_SetItemText(m_list, row, 2, text.data());
}

BOOL CLogDlg::OnInitDialog() {
  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
  m_list = GetDlgItem(IDC_LOG_LIST);

  m_imageList.Reset(ImageList_Create(16, 16, ILC_MASK | ILC_COLOR32, 0, 1));
  for (int id : LOG_KIND_ICONS) {  // image index = log kind
    const UniqueIcon icon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    ImageList_ReplaceIcon(m_imageList.Get(), -1, icon.Get());  // the list keeps a copy
  }
  ListView_SetImageList(m_list, m_imageList.Get(), LVSIL_SMALL);

  InsertColumn(m_list, 0, UiString(IDS_COLUMN_STATE).c_str(), STATE_COLUMN_WIDTH);
  InsertColumn(m_list, 1, UiString(IDS_COLUMN_TIME).c_str(), TIME_COLUMN_WIDTH);
  InsertColumn(m_list, 2, UiString(IDS_COLUMN_CONTENT).c_str(), 100);
  ListView_SetColumnWidth(m_list, 0, STATE_COLUMN_WIDTH);
  ListView_SetColumnWidth(m_list, 1, TimeColumnWidth(m_list));
  ListView_SetColumnWidth(m_list, 2, ContentColumnWidth(m_list));
  ListView_SetExtendedListViewStyle(m_list, LOG_LIST_EXTENDED_STYLE);

  ShowLogItems(m_log.Records());
  m_log.SetView(this);
  return TRUE;
}

INT_PTR CLogDlg::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDC_SHOW_HISTORY) {
    m_showHistory();
    return TRUE;
  }
  if (message == WM_DESTROY) {
    m_log.SetView(nullptr);
    ListView_SetImageList(m_list, nullptr, LVSIL_SMALL);
    m_imageList.Reset();
    m_list = nullptr;
  }
  return CDialog::DialogProc(message, wParam, lParam);
}

}  // namespace sopora
