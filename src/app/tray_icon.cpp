#include "app/tray_icon.h"

#include <cwchar>
#include <iterator>
#include <string>

#include "framework/ui_language_win.h"
#include "res/resource.h"

namespace sopora {

namespace {
HICON LoadSmallIcon(int id) {
  return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0));
}
}  // namespace

void CTrayIcon::LoadIcons() {
  m_hIconNormal.Reset(LoadSmallIcon(IDR_MAINFRAME));
  m_hIconPaused.Reset(LoadSmallIcon(IDI_TRAY_PAUSED));
  m_hIconExcept.Reset(LoadSmallIcon(IDI_TRAY_BLANK));
}

void CTrayIcon::AddTrayIcon(HWND owner) {
  m_nidTray = NOTIFYICONDATAW{};
  m_nidTray.cbSize = sizeof m_nidTray;
  m_nidTray.hWnd = owner;
  m_nidTray.uID = TRAY_ICON_ID;
  m_nidTray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  m_nidTray.uCallbackMessage = WM_TRAY_NOTIFY;
  m_nidTray.hIcon = m_hIconNormal.Get();
  std::wcscpy(m_nidTray.szTip, L"Sopora");
  m_log.AddLog(LOG_INFO, IDS_LOG_TRAY_ICON_ADDED);
  Shell_NotifyIconW(NIM_ADD, &m_nidTray);
  m_added = true;
}

void CTrayIcon::DeleteTrayIcon() {
  if (!m_added) return;
  Shell_NotifyIconW(NIM_DELETE, &m_nidTray);  // the shell only looks at the window and the id
  m_added = false;
}

// The whole record goes again, so tooltip and callback are sent too.
void CTrayIcon::ShowPicture(HICON icon) {
  m_nidTray.hIcon = icon;
  Shell_NotifyIconW(NIM_MODIFY, &m_nidTray);
}

bool CTrayIcon::ModifyBalloon(const std::wstring& text) {
  if (!m_added) return false;
  NOTIFYICONDATAW balloon = m_nidTray;
  balloon.uFlags |= NIF_INFO;
  balloon.dwInfoFlags = NIIF_INFO;
  std::wcsncpy(balloon.szInfoTitle, UiString(IDS_APP_TITLE).c_str(), std::size(balloon.szInfoTitle) - 1);
  std::wcsncpy(balloon.szInfo, text.c_str(), std::size(balloon.szInfo) - 1);
  return Shell_NotifyIconW(NIM_MODIFY, &balloon) != FALSE;  // the record itself keeps no balloon
}

bool CTrayIcon::ShowNotification(const Message& text) {
  m_balloonOpensSettings = false;
  return ModifyBalloon(UiMessage(text));
}

bool CTrayIcon::ShowSettingsNotification(const Message& text) {
  m_balloonOpensSettings = true;
  return ModifyBalloon(UiMessage(text));
}

void CTrayIcon::HideNotification() { ModifyBalloon(std::wstring()); }

void CTrayIcon::ShowNormalIcon() { ShowPicture(m_hIconNormal.Get()); }
void CTrayIcon::ShowPausedIcon() { ShowPicture(m_hIconPaused.Get()); }
void CTrayIcon::ShowExceptIcon() { ShowPicture(m_hIconExcept.Get()); }

}  // namespace sopora
