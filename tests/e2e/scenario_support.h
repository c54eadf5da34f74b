// What the end-to-end scenarios share: the start-up log, the dialogs'
// captions, reading and driving their controls, the settings file, and data
// files to start the program with.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/day_book.h"
#include "res/resource.h"
#include "sopora_driver.h"

namespace sopora::e2e {

inline const std::vector<LogLine> STARTUP = {
    {0, "*** Sopora の各機能を初期化します ***"},
    {0, "CPU負荷監視クエリー生成成功"},
    {0, "ネットワーク送受量監視クエリー生成成功"},
    {0, "ディスク読書量監視クエリー生成成功"},
    {0, "カウンターリセット"},
    {0, "監視タイマー開始"},
    {0, "I/Oフック開始"},
    {0, "Sopora が起動しました"},
    {0, "タスクトレイにアイコンを登録しました"},
};
inline const LogLine STANDBY_ATTEMPT{1, "省電力状態検知のためスタンバイを試行します"};
inline const LogLine COUNTER_RESET{0, "カウンターリセット"};
inline const char* const SETTINGS_TITLE = "Sopora 環境設定";
inline const char* const LOG_TITLE = "Sopora動作ログﾞ";
inline const char* const EXCEPT_TITLE = "例外ウィンドウ登録";
inline const char* const EDIT_TITLE = "例外ウィンドウ編集";
inline const char* const RUNNING_TITLE = "動作中アプリケーション一覧";
inline const char* const HISTORY_TITLE = "省電力の実績";

inline std::string ControlText(HWND dialog, int id) {
  wchar_t text[512] = {};
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, id), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 10000,
                      &ignored);
  return NarrowCp932(text);
}

inline void SetControlText(HWND dialog, int id, const std::string& text) {
  const std::wstring wide = WidenCp932(text);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_NORMAL,
                      10000, &ignored);
}

// A button press, handled when this returns.
inline void Click(HWND dialog, int id) {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, id), BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &ignored);
}

// A button press that opens a modal dialog: do not wait for it.
inline void ClickAndGoOn(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

inline LRESULT ControlMessage(HWND dialog, int id, UINT message, WPARAM wParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, id), message, wParam, 0, SMTO_NORMAL, 10000, &result);
  return static_cast<LRESULT>(result);
}

// Presses a key in a window of this program, so that the keyboard hook runs
// here, in this process (and Wine counts it as the session's input).
inline void PressAKeyIn(const TestWindow& window) {
  SetForegroundWindow(window.Get());
  PumpMessages(200);
  RunHostCommand("/usr/bin/xdotool key shift");
  PumpMessages(500);
}

inline std::string IniText(const SoporaProcess& sopora) {
  const Bytes bytes = ReadFileBytes(sopora.File(L"Sopora.ini"));
  return std::string(bytes.begin(), bytes.end());
}

inline bool IniHas(const SoporaProcess& sopora, const std::string& line) {
  return IniText(sopora).find(line + "\r\n") != std::string::npos;
}

// Policy values in the prefix's registry, as Group Policy writes them; gone
// again when the scenario ends.
class PolicyValues {
 public:
  PolicyValues() { Clear(); }
  ~PolicyValues() { Clear(); }
  void Set(HKEY root, const wchar_t* name, DWORD value) {
    RegSetKeyValueW(root, KEY, name, REG_DWORD, &value, sizeof value);
  }
  void Remove(HKEY root, const wchar_t* name) { RegDeleteKeyValueW(root, KEY, name); }
  // What Group Policy does once it has applied a policy.
  static void Broadcast() {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"), SMTO_ABORTIFHUNG,
                        5000, &ignored);
  }

 private:
  static constexpr const wchar_t* KEY = L"SOFTWARE\\Policies\\Sopora";
  static void Clear() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) RegDeleteKeyExW(root, KEY, KEY_WOW64_64KEY, 0);
  }
};

inline HWND ShowSettings(SoporaProcess& sopora) {
  sopora.Command(ID_SHOW_SETTINGS);
  return sopora.WaitForWindowTitled(SETTINGS_TITLE);
}

// The application's message boxes of the process, as (text) lines.
inline std::vector<HWND> MessageBoxesOf(const SoporaProcess& sopora) {
  std::vector<HWND> boxes;
  for (HWND window : WindowsOf(sopora.ProcessId(), L"#32770")) {
    if (IsWindowVisible(window) && WindowText(window) == "Sopora") boxes.push_back(window);
  }
  return boxes;
}

inline std::string MessageBoxText(HWND box) { return ControlText(box, 0xFFFF); }

// A data file of the given records, as the program writes it.
template <class Record>
Bytes RecordFileOf(const std::vector<Record>& records, std::uint8_t version = DATA_FILE_VERSION) {
  Bytes bytes{version};
  for (const Record& record : records) {
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&record);
    bytes.insert(bytes.end(), raw, raw + sizeof record);
  }
  return bytes;
}

inline Bytes LogFileOf(const std::vector<LogLine>& lines, std::uint8_t version = DATA_FILE_VERSION) {
  std::vector<LogRecord> records;
  for (const LogLine& line : lines) {
    LogRecord record;
    std::memset(&record, 0, sizeof record);
    record.kind = line.kind;
    record.time = {2026, 12, 1, 7, 9, 5, 3, 0};
    CopyTextToField(record.text, line.text);
    records.push_back(record);
  }
  return RecordFileOf(records, version);
}

inline Bytes ListFileOf(const std::vector<std::string>& titles, std::uint8_t version = DATA_FILE_VERSION) {
  std::vector<ExceptWndEntry> entries;
  for (const std::string& title : titles) {
    ExceptWndEntry entry;
    std::memset(&entry, 0, sizeof entry);
    CopyTextToField(entry.title, title);
    entries.push_back(entry);
  }
  return RecordFileOf(entries, version);
}

// SoporaDays.csv with days before today: standby 8 h yesterday, 10 h of
// hibernation and 2 h off three days ago with an hour of the user's own
// sleep, and a little of everything awake. With the awake draw at 50 W
// Sopora saved 8 x 48 + 12 x 49 Wh, est. 1.0 kWh.
inline Bytes RecentDayBook() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const auto daysBack = [&](int back) {
    FILETIME time;
    SystemTimeToFileTime(&now, &time);
    ULARGE_INTEGER ticks{{time.dwLowDateTime, time.dwHighDateTime}};
    ticks.QuadPart -= static_cast<ULONGLONG>(back) * 24 * 3600 * 10000000ULL;
    time = {ticks.LowPart, ticks.HighPart};
    SYSTEMTIME day;
    FileTimeToSystemTime(&time, &day);
    return CalendarDate{day.wYear, day.wMonth, day.wDay};
  };
  DayBook book(4);
  book[0].date = daysBack(20);
  book[0][DayColumn::Monitored] = 300;
  book[0][DayColumn::HeldByExceptionWindow] = 200;
  book[1].date = daysBack(3);
  book[1][DayColumn::Hibernation] = 600;
  book[1][DayColumn::Off] = 120;
  book[1][DayColumn::OtherSleep] = 60;
  book[1][DayColumn::Monitored] = 500;
  book[1][DayColumn::HeldByProgramRequest] = 240;
  book[1][DayColumn::HeldBySound] = 60;
  book[2].date = daysBack(1);
  book[2][DayColumn::Standby] = 480;
  book[2][DayColumn::Monitored] = 720;
  book[2][DayColumn::HeldByInput] = 300;
  book[2][DayColumn::HeldByLoad] = 120;
  book[2][DayColumn::Paused] = 120;
  book[3].date = daysBack(0);
  book[3][DayColumn::Monitored] = 90;
  book[3][DayColumn::HeldByOtherSession] = 30;
  const std::string text = FormatDayBook(book);
  return Bytes(text.begin(), text.end());
}

}  // namespace sopora::e2e
