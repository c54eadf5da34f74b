#include "dialogs/settings_dlg.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "dialogs/except_wnd_dlg.h"
#include "dialogs/settings_logic.h"
#include "framework/text_win.h"
#include "framework/ui_language_win.h"
#include "framework/win_handles.h"
#include "res/resource.h"

namespace sopora {

namespace {
struct Tool {
  int control;
  int text;
};
constexpr Tool TOOLTIPS[] = {
    {IDC_LABEL_MAX_TIME, IDS_TIP_MAX_TIME},   {IDC_LABEL_INTERVAL, IDS_TIP_INTERVAL},
    {IDC_LABEL_CPU_BORDER, IDS_TIP_CPU_BORDER}, {IDC_LABEL_METHOD, IDS_TIP_METHOD},
    {IDC_RESUME_REBOOT, IDS_TIP_RESUME_REBOOT}, {IDC_RETRY, IDS_TIP_RETRY},
    {IDC_LABEL_PROGRESS, IDS_TIP_PROGRESS},   {IDC_LOW_LOAD_PROGRESS, IDS_TIP_PROGRESS},
    {IDC_NETWORK_CHECK, IDS_TIP_NETWORK},     {IDC_DISK_CHECK, IDS_TIP_DISK},
    {IDC_NETWORK_BAR, IDS_TIP_NETWORK_BAR},   {IDC_DISK_BAR, IDS_TIP_DISK_BAR},
    {IDC_REQUESTS, IDS_TIP_REQUESTS},
};

// The controls that show a setting, the spin box (if any) first.
struct FieldControls {
  const char* key;
  int controls[2];
};
constexpr FieldControls FIELD_CONTROLS[] = {
    {"MAXTime", {IDC_SPIN_MAX_TIME, IDC_EDIT_MAX_TIME}},
    {"Interval", {IDC_SPIN_INTERVAL, IDC_EDIT_INTERVAL}},
    {"CPUBorder", {IDC_SPIN_CPU_BORDER, IDC_EDIT_CPU_BORDER}},
    {"Method", {IDC_METHOD}},
    {"ResumeReboot", {IDC_RESUME_REBOOT}},
    {"Retry", {IDC_RETRY}},
    {"Network", {IDC_NETWORK_CHECK}},
    {"Disk", {IDC_DISK_CHECK}},
    {"Requests", {IDC_REQUESTS}},
};

LPARAM Range(int low, int high) { return MAKELPARAM(high, low); }  // up-down ranges put the maximum first

// Whether the text, broken into lines at its width, fits in the control.
bool Fits(HWND control, const std::wstring& text) {
  RECT client;
  GetClientRect(control, &client);
  RECT needed = client;
  const WindowFontDc dc(control);
  DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &needed,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  return needed.bottom <= client.bottom;
}
}  // namespace

CSettingsDlg::CSettingsDlg(MonitorSettings& settings, const Policy& policy, const StatusSource& status,
                           SettingsHost& host, const DataFilePaths& paths)
    : CDialog(IDD_SETTINGS),
      m_settings(settings),
      m_policy(policy),
      m_status(status),
      m_host(host),
      m_paths(paths),
      m_hIcon(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

BOOL CSettingsDlg::OnInitDialog() {
  m_style = SettingsMeterStyle(m_status.Status().cpuByIdleProcess, 50);
  m_meter.Create(m_hWnd, IDC_METER);
  m_meter.SetStyle(m_style);

  SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

  // The meter takes the place of the hidden frame 1010.
  RECT frameRect;
  GetWindowRect(GetDlgItem(IDC_METER_FRAME), &frameRect);
  MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&frameRect), 2);
  MoveWindow(m_meter.m_hWnd, frameRect.left, frameRect.top, frameRect.right - frameRect.left,
             frameRect.bottom - frameRect.top, TRUE);

  for (const FieldControls& field : FIELD_CONTROLS) {
    const DialogField& offered = *FindDialogField(field.key);
    if (offered.kind == DialogFieldKind::Spin) {
      SendItemMessage(field.controls[0], UDM_SETRANGE, 0, Range(offered.lowest, offered.highest));
    }
  }
  RECT window;
  GetWindowRect(m_hWnd, &window);
  m_designedHeight = window.bottom - window.top;
  // Marked by what the machine can do each time the dialog is shown.
  FillMethodList();
  ShowSettings();

  SendItemMessage(IDC_LOW_LOAD_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
  SendItemMessage(IDC_NETWORK_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, TRAFFIC_BAR_MAX));
  SendItemMessage(IDC_DISK_BAR, PBM_SETRANGE, 0, MAKELPARAM(0, TRAFFIC_BAR_MAX));

  AddTooltips();
  UpdateMeters();
  return TRUE;
}

void CSettingsDlg::ShowSettings() {
  if (!m_hWnd) return;
  const MonitorSettings& settings = m_settings;
  SendItemMessage(IDC_SPIN_CPU_BORDER, UDM_SETPOS, 0, settings.CPUBorder);
  SendItemMessage(IDC_SPIN_INTERVAL, UDM_SETPOS, 0, settings.Interval);
  SendItemMessage(IDC_SPIN_MAX_TIME, UDM_SETPOS, 0, settings.MAXTime);
  SendItemMessage(IDC_METHOD, CB_SETCURSEL, static_cast<WPARAM>(settings.Method));
  ShowMethodReason();

  SendItemMessage(IDC_RESUME_REBOOT, BM_SETCHECK, static_cast<WPARAM>(settings.ResumeReboot));
  SendItemMessage(IDC_RETRY, BM_SETCHECK, static_cast<WPARAM>(settings.Retry));
  SendItemMessage(IDC_REQUESTS, BM_SETCHECK, settings.Requests == 1 ? BST_CHECKED : BST_UNCHECKED);
  EnableTrafficBar(IDC_NETWORK_BAR, IDC_NETWORK_CHECK, settings.Network != 0);
  EnableTrafficBar(IDC_DISK_BAR, IDC_DISK_CHECK, settings.Disk != 0);

  m_style.thresholdValue = settings.CPUBorder;
  m_meter.SetStyle(m_style);
  ShowManagedFields();
}

// A field a policy sets cannot be changed here; one line under the buttons
// says why, for which the dialog grows by as much as the line needs.
void CSettingsDlg::ShowManagedFields() {
  for (const FieldControls& field : FIELD_CONTROLS) {
    for (const int control : field.controls) {
      if (control) EnableWindow(GetDlgItem(control), !m_policy.Manages(field.key));
    }
  }
  const bool managed = std::ranges::any_of(FIELD_CONTROLS, [&](const FieldControls& field) {
    return m_policy.Manages(field.key);
  });
  const HWND line = GetDlgItem(IDC_POLICY_MANAGED);
  ::ShowWindow(line, managed ? SW_SHOWNA : SW_HIDE);
  RECT lineRect;
  RECT client;
  GetWindowRect(line, &lineRect);
  MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&lineRect), 2);
  RECT margin{0, 0, 0, 4};  // dialog units under the line
  MapDialogRect(m_hWnd, &margin);
  GetClientRect(m_hWnd, &client);
  RECT window;
  GetWindowRect(m_hWnd, &window);
  const LONG frame = (window.bottom - window.top) - (client.bottom - client.top);
  const LONG needed = std::max(m_designedHeight, lineRect.bottom + margin.bottom + frame);
  SetWindowPos(m_hWnd, nullptr, 0, 0, window.right - window.left, managed ? needed : m_designedHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The items' order is the Method value; an item's data says whether this
// machine cannot perform it. The selection stays where it was.
void CSettingsDlg::FillMethodList() {
  const HWND list = GetDlgItem(IDC_METHOD);
  const LRESULT selected = SendMessageW(list, CB_GETCURSEL, 0, 0);
  SendMessageW(list, CB_RESETCONTENT, 0, 0);
  const WindowFontDc dc(list);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc.Get(), &metrics);
  LONG widest = 0;
  for (std::int32_t method = 0; method < static_cast<std::int32_t>(std::size(METHOD_NAMES)); ++method) {
    const bool unavailable = m_host.MethodUnavailableReason(method) != 0;
    const std::wstring text = UiMessage(MethodListText(method, unavailable));
    const LRESULT index = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(list, CB_SETITEMDATA, static_cast<WPARAM>(index), unavailable ? 1 : 0);
    SIZE extent{};
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
    widest = std::max(widest, extent.cx);
  }
  // Drawn by the dialog, so the heights are its to set; the open list is
  // as wide as its longest line, the field keeps its place and width.
  SendMessageW(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), metrics.tmHeight + 4);
  SendMessageW(list, CB_SETITEMHEIGHT, 0, metrics.tmHeight + 2);
  SendMessageW(list, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(widest + 3 * GetSystemMetrics(SM_CXEDGE) + 4), 0);
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

// A method this machine cannot perform says why, and what to do, in the
// line under the list: a sentence a line, the last ones left out where they
// would not fit (the start-up log holds the whole text).
void CSettingsDlg::ShowMethodReason() {
  const auto method = static_cast<std::int32_t>(SendItemMessage(IDC_METHOD, CB_GETCURSEL));
  const MessageId reason = m_host.MethodUnavailableReason(method);
  std::string text = reason ? OneSentencePerLine(Format(UiText(), reason)) : std::string();
  const HWND line = GetDlgItem(IDC_METHOD_REASON);
  while (!Fits(line, WidenCp932(text)) && text.find('\n') != std::string::npos) text.erase(text.rfind('\n'));
  SetItemText(IDC_METHOD_REASON, text);
}

void CSettingsDlg::DrawMethodItem(const DRAWITEMSTRUCT& item) const {
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID >= std::size(METHOD_NAMES)) return;  // no selection: an empty field
  const bool unavailable = item.itemData != 0;
  const bool field = (item.itemState & ODS_COMBOBOXEDIT) != 0;
  const auto method = static_cast<std::int32_t>(item.itemID);
  const std::wstring text = field ? UiString(METHOD_NAMES[method]) : UiMessage(MethodListText(method, unavailable));
  SetBkMode(item.hDC, TRANSPARENT);
  const bool grey = unavailable || (item.itemState & ODS_DISABLED) != 0;  // also when a policy sets the method
  SetTextColor(item.hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : grey ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
  RECT textRect = item.rcItem;
  textRect.left += 2;
  DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &textRect,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(item.hDC, &item.rcItem);
}

void CSettingsDlg::EnableTrafficBar(int barId, int checkId, bool monitored) {
  EnableWindow(GetDlgItem(barId), monitored);
  SendItemMessage(checkId, BM_SETCHECK, monitored ? BST_CHECKED : BST_UNCHECKED);
}

// The tooltip control watches the tools' mouse messages itself
// (TTF_SUBCLASS), so nothing has to be relayed by hand.
void CSettingsDlg::AddTooltips() {
  m_tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, GetModuleHandleW(nullptr),
                              nullptr);
  SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, 300);
  for (const Tool& tool : TOOLTIPS) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = m_hWnd;
    info.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(tool.control));
    std::wstring text = UiString(tool.text);  // the control keeps a copy
    info.lpszText = text.data();
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  }
  SendMessageW(m_tooltip, TTM_ACTIVATE, TRUE, 0);
}

void CSettingsDlg::UpdateMeters() {
  if (!m_hWnd) return;
  MonitorStatus status = m_status.Status();
  m_meter.SetSamples(std::move(status.cpuHistory));
  SetItemText(IDC_NETWORK_TEXT, FormatTrafficCaption(status.netLoad, m_settings.NETBorder));
  SetItemText(IDC_DISK_TEXT, FormatTrafficCaption(status.diskLoad, m_settings.DISKBorder));
  SendItemMessage(IDC_LOW_LOAD_PROGRESS, PBM_SETPOS,
                  static_cast<WPARAM>(LowLoadProgressPercent(status.lowLoadCount, m_settings.MAXTime, m_settings.Interval)));
  SendItemMessage(IDC_NETWORK_BAR, PBM_SETPOS, static_cast<WPARAM>(status.netLoad));
  SendItemMessage(IDC_DISK_BAR, PBM_SETPOS, static_cast<WPARAM>(status.diskLoad));
  if (status.line != m_statusLine) {  // drawn again only when it changed: no flicker
    m_statusLine = status.line;
    SetDlgItemTextW(m_hWnd, IDC_STATUS_LINE, UiMessage(m_statusLine).c_str());
  }
}

bool CSettingsDlg::ApplySettings() {
  const SettingsDialogInput input{
      static_cast<std::uint32_t>(SendItemMessage(IDC_SPIN_CPU_BORDER, UDM_GETPOS)),
      static_cast<std::uint32_t>(SendItemMessage(IDC_SPIN_INTERVAL, UDM_GETPOS)),
      static_cast<std::uint32_t>(SendItemMessage(IDC_SPIN_MAX_TIME, UDM_GETPOS)),
      static_cast<std::int32_t>(SendItemMessage(IDC_METHOD, CB_GETCURSEL)),
  };
  const AppliedSettings applied = ApplySettingsInput(input);
  m_settings.CPUBorder = applied.CPUBorder;
  m_settings.Interval = applied.Interval;
  m_settings.MAXTime = applied.MAXTime;
  m_settings.Method = applied.Method;
  // A cut value is shown in its field.
  if (applied.cpuBorderCut) SendItemMessage(IDC_SPIN_CPU_BORDER, UDM_SETPOS, 0, applied.CPUBorder);
  if (applied.intervalCut) SendItemMessage(IDC_SPIN_INTERVAL, UDM_SETPOS, 0, applied.Interval);
  if (applied.maxTimeCut) SendItemMessage(IDC_SPIN_MAX_TIME, UDM_SETPOS, 0, applied.MAXTime);

  m_style.scaleMinimum = 0;
  m_style.scaleMaximum = 100;
  m_style.thresholdValue = m_settings.CPUBorder;
  const bool saved = m_host.SaveSettings();
  m_meter.SetStyle(m_style);  // empty until the restarted monitor's next tick
  if (!saved) {
    MessageBoxW(m_hWnd, UiString(IDS_SETTINGS_NOT_SAVED).c_str(), UiString(IDS_APP_TITLE).c_str(),
                MB_OK | MB_ICONWARNING);
  }
  return saved;
}

// Closes only once saved: otherwise the dialog stays with the edits, for
// another try once the file can be written.
void CSettingsDlg::OnOK() {
  if (ApplySettings()) CDialog::OnOK();
}

void CSettingsDlg::OnCheckBox(int id) {
  const bool ticked = SendItemMessage(id, BM_GETCHECK) != BST_UNCHECKED;
  switch (id) {
    case IDC_RESUME_REBOOT:
      m_settings.ResumeReboot = ticked ? 1 : 0;
      break;
    case IDC_RETRY:
      m_settings.Retry = ticked ? 1 : 0;
      break;
    case IDC_REQUESTS:
      m_settings.Requests = ticked ? 1 : 0;
      break;
    case IDC_NETWORK_CHECK:
      EnableWindow(GetDlgItem(IDC_NETWORK_BAR), ticked);
      m_settings.Network = ticked ? 1 : 0;
      break;
    case IDC_DISK_CHECK:
      EnableWindow(GetDlgItem(IDC_DISK_BAR), ticked);
      m_settings.Disk = ticked ? 1 : 0;
      break;
    default:
      break;
  }
}

// Owned by this dialog, which stays disabled meanwhile: a second
// registration dialog cannot be opened on top of the first.
void CSettingsDlg::OnExceptWindows() {
  CExceptWndDlg dialog(m_paths);
  dialog.DoModal(m_hWnd);
}

INT_PTR CSettingsDlg::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SHOWWINDOW && wParam) {
    m_host.RefreshPowerCapabilities();
    FillMethodList();
    ShowMethodReason();
  }
  if (message == WM_DRAWITEM && wParam == IDC_METHOD) {
    DrawMethodItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDC_METHOD && HIWORD(wParam) == CBN_SELCHANGE) {
    ShowMethodReason();  // also while arrowing through the list: no box in the way
    return TRUE;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    switch (LOWORD(wParam)) {
      case IDC_UPDATE:
        ApplySettings();
        return TRUE;
      case IDC_SHOW_LOG:
        m_host.ShowLog();
        return TRUE;
      case IDC_EXCEPT_BUTTON:
        OnExceptWindows();
        return TRUE;
      case IDC_RESUME_REBOOT:
      case IDC_RETRY:
      case IDC_REQUESTS:
      case IDC_NETWORK_CHECK:
      case IDC_DISK_CHECK:
        OnCheckBox(LOWORD(wParam));
        return TRUE;
      default:
        break;
    }
  }
  return CDialog::DialogProc(message, wParam, lParam);
}

}  // namespace sopora
