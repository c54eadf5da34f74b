// CTrayIcon: the notification-area icon, the program's only visible sign:
// one record for every shell call, and its three pictures.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "data/operation_log.h"
#include "framework/win_handles.h"
#include "monitor/idle_monitor.h"

namespace sopora {

inline constexpr UINT WM_TRAY_NOTIFY = 0x1401;  // WM_USER + 0x1001
inline constexpr UINT TRAY_ICON_ID = 0x1FF;

class CTrayIcon : public TrayPictures {
 public:
  explicit CTrayIcon(OperationLog& log) : m_log(log) {}

  // The three 16 x 16 pictures from the program's resources.
  void LoadIcons();
  // Adds the icon with the normal picture, after logging it; also after the
  // taskbar has been re-created. Without a taskbar yet the shell refuses,
  // and "TaskbarCreated" brings the icon later.
  void AddTrayIcon(HWND owner);
  // Removes the icon; safe to call more than once.
  void DeleteTrayIcon();

  void ShowNormalIcon() override;
  void ShowPausedIcon() override;
  void ShowExceptIcon() override;
  // A notification (balloon) at the icon, with the information icon.
  bool ShowNotification(const Message& text) override;
  bool ShowSettingsNotification(const Message& text) override;
  // Whether a click on the balloon shown last should open the settings.
  bool BalloonOpensSettings() const { return m_balloonOpensSettings; }
  // The same record with an empty text takes the balloon down.
  void HideNotification() override;

 private:
  void ShowPicture(HICON icon);
  bool ModifyBalloon(const std::wstring& text);

  OperationLog& m_log;
  NOTIFYICONDATAW m_nidTray{};
  bool m_added = false;
  bool m_balloonOpensSettings = false;
  UniqueIcon m_hIconNormal;
  UniqueIcon m_hIconPaused;
  UniqueIcon m_hIconExcept;
};

}  // namespace sopora
