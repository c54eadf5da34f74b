// Drives the real Sopora.exe from outside, as the world would: starts it in
// a folder of its own (with the stand-in pdh.dll and a scripted load), finds
// its hidden window, sends it timer ticks, tray clicks, commands and power
// broadcasts, reads its files, and takes screenshots of the Wine desktop.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/tray_icon.h"
#include "data/records.h"
#include "framework/text_win.h"
#include "monitor/idle_monitor.h"
#include "text/text_field.h"
#include "win/support/temp_folder.h"

namespace sopora::e2e {


struct LogLine {
  int kind;
  std::string text;
  bool operator==(const LogLine&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const LogLine& line) {
  return out << "{" << line.kind << ", \"" << line.text << "\"}";
}

// Polls `condition` until it holds or `timeoutMs` passes. (Win32 clocks:
// <chrono> cannot be compiled with the Shift JIS execution character set.)
template <class Condition>
bool WaitFor(Condition condition, ULONGLONG timeoutMs = 20000) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!condition()) {
    if (GetTickCount64() > deadline) return false;
    Sleep(50);
  }
  return true;
}

// The top-level windows of a process with a given class (or any class).
struct WindowSearch {
  DWORD processId;
  const wchar_t* className;
  std::vector<HWND> found;
};

inline BOOL CALLBACK CollectWindowOf(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (owner == search.processId && (!search.className || std::wcscmp(name, search.className) == 0)) {
    search.found.push_back(window);
  }
  return TRUE;
}

inline std::vector<HWND> WindowsOf(DWORD processId, const wchar_t* className = nullptr) {
  WindowSearch search{processId, className, {}};
  EnumWindows(CollectWindowOf, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

inline std::string WindowText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return NarrowCp932(text);
}

// A folder of the host for files shared with host commands: the one the
// test runner names for screenshots, else /tmp. (Drive Z: is the host's root.)
inline std::string HostFolder() {
  char folder[MAX_PATH] = {};
  if (!GetEnvironmentVariableA("SOPORA_SCREENSHOTS", folder, MAX_PATH)) return "/tmp";
  return folder;
}

inline std::filesystem::path WindowsPathOfHostFile(const std::string& unixPath) {
  std::wstring path = L"Z:" + WidenCp932(unixPath);
  for (wchar_t& c : path) if (c == L'/') c = L'\\';
  return path;
}

// Runs a command of the host system (ImageMagick, xdotool) and waits for
// it. Wine starts host programs without a process object to wait on (the
// handles it returns are not real ones and must not be closed), so the
// command marks its end with a file.
inline void RunHostCommand(const std::string& command) {
  static int serial = 0;
  const std::string done = HostFolder() + "/host-command-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(++serial) + ".done";
  std::wstring line = WidenCp932("/bin/sh -c \"" + command + "; touch '" + done + "'\"");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION notReal{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &notReal)) return;
  const std::filesystem::path doneFile = WindowsPathOfHostFile(done);
  WaitFor([&] { return std::filesystem::exists(doneFile); }, 30000);
  std::error_code ignored;
  std::filesystem::remove(doneFile, ignored);
}

// A PNG of the whole virtual desktop, kept as test output.
inline void Screenshot(const std::string& name) {
  Sleep(700);  // let the windows finish painting
  RunHostCommand("/usr/bin/import -window root '" + HostFolder() + "/" + name + ".png'");
}

// Pumps this process's messages for a while, so that input to its windows
// passes the hooks.
inline void PumpMessages(int milliseconds) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
  while (GetTickCount64() < end) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(20);
  }
}

// A visible top-level window of the test itself.
class TestWindow {
 public:
  TestWindow(const std::wstring& title, int x, int y) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"SoporaE2eWindow";
    RegisterClassW(&windowClass);
    m_window = CreateWindowExW(0, L"SoporaE2eWindow", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, 360,
                               220, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    PumpMessages(300);
  }
  ~TestWindow() { Close(); }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  void Close() {
    if (m_window) DestroyWindow(m_window);
    m_window = nullptr;
    PumpMessages(100);
  }
  HWND Get() const { return m_window; }

 private:
  HWND m_window = nullptr;
};

// A log file as the program wrote it, record by record.
inline std::vector<LogLine> LogIn(const std::filesystem::path& logFile) {
  const Bytes file = ReadFileBytes(logFile);
  std::vector<LogLine> lines;
  for (std::size_t at = 1; at + sizeof(LogRecord) <= file.size(); at += sizeof(LogRecord)) {
    LogRecord record;
    std::memcpy(&record, file.data() + at, sizeof record);
    lines.push_back({record.kind, std::string(TextOfField(record.text))});
  }
  return lines;
}

class SoporaProcess {
 public:
  // The folder's name carries the test runner's process id: a hook library
  // that another process still has loaded keeps an earlier run's folder.
  explicit SoporaProcess(const std::wstring& name) : m_folder(name + L" " + std::to_wstring(GetCurrentProcessId())) {
    for (const wchar_t* file : {L"Sopora.exe", L"SoporaHook.dll"}) {
      std::filesystem::copy_file(ProgramFolder() / file, m_folder.File(file),
                                 std::filesystem::copy_options::overwrite_existing);
    }
    SetLoad(1, 0, 0);
  }
  ~SoporaProcess() {
    // An orderly close removes the hooks; killing is the last resort.
    if (m_process.hProcess && WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT && m_frame) {
      PostMessageW(m_frame, WM_CLOSE, 0, 0);
      WaitForExit(5000);
    }
    Kill();
  }
  SoporaProcess(const SoporaProcess&) = delete;
  SoporaProcess& operator=(const SoporaProcess&) = delete;

  const TempFolder& Folder() const { return m_folder; }
  std::filesystem::path File(const wchar_t* name) const { return m_folder.File(name); }

  // Scripts the loads the stand-in counters report from now on.
  void SetLoad(double cpu, double network, double disk) {
    SetScript("[Processor]\r\nValue=" + Number(cpu) + "\r\n[Process]\r\nValue=" + Number(100 - cpu) +
                               "\r\n[TCP]\r\nValue=" + Number(network) + "\r\n[LogicalDisk]\r\nValue=" +
                               Number(disk) + "\r\n");
  }

  // Replaces the whole stand-in counter script.
  void SetScript(const std::string& script) {
    WriteFileBytes(File(L"fakepdh.ini"), Bytes(script.begin(), script.end()));
  }

  // Scripts what the stand-in powrprof.dll reports and answers.
  void SetPowerProfile(const std::string& script) {
    WriteFileBytes(File(L"fakepowrprof.ini"), Bytes(script.begin(), script.end()));
  }

  // Scripts the sessions the stand-in wtsapi32.dll reports.
  void SetSessions(const std::string& script) {
    WriteFileBytes(File(L"fakewtsapi.ini"), Bytes(script.begin(), script.end()));
  }

  void WriteSettings(const std::string& lines) {
    const std::string text = "[PARAMATER]\r\n" + lines;
    WriteFileBytes(File(L"Sopora.ini"), Bytes(text.begin(), text.end()));
  }

  // Starts the program; `waitForWindow` waits until its tray icon is
  // registered, the last step of its start-up.
  bool Start(bool waitForWindow = true) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const std::filesystem::path exe = File(L"Sopora.exe");
    std::wstring command = L"\"" + exe.native() + L"\"";
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, m_folder.Path().c_str(),
                        &startup, &m_process)) {
      return false;
    }
    if (!waitForWindow) return true;
    return WaitForFrame() && WaitFor([&] {
      const auto lines = Log();  // the tray line ends the usual start-up; a warning may follow it
      return std::any_of(lines.begin(), lines.end(), [](const LogLine& line) {
        return line == LogLine{0, "タスクトレイにアイコンを登録しました"} || line == LogLine{0, "Notification area icon added"};
      });
    });
  }

  // Waits for the hidden main window (after any message box of the start)
  // and drives that one from now on.
  HWND WaitForFrame() {
    m_frame = nullptr;
    WaitFor([&] {
      const auto frames = WindowsOf(m_process.dwProcessId, L"SoporaFrame");
      m_frame = frames.empty() ? nullptr : frames.front();
      return m_frame != nullptr;
    });
    return m_frame;
  }

  HWND Frame() const { return m_frame; }
  DWORD ProcessId() const { return m_process.dwProcessId; }

  // Runs monitoring ticks one after the other, each finished on return.
  void Tick(int times = 1) {
    for (int i = 0; i < times; ++i) Send(WM_TIMER, TIMER_MONITOR, 0);
  }
  // A click on the tray icon, handled on return. (A right click opens the
  // menu's modal loop: post that one.)
  void TrayClick(UINT mouseMessage) { Send(WM_TRAY_NOTIFY, TRAY_ICON_ID, mouseMessage); }
  // Sent messages are handled on return; posted ones when the program gets
  // to them, so a test waits for their visible effect instead.
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(m_frame, message, wParam, lParam, SMTO_NORMAL, 20000, &result);
    return static_cast<LRESULT>(result);
  }
  void Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { PostMessageW(m_frame, message, wParam, lParam); }
  void Command(UINT id) { Send(WM_COMMAND, id, 0); }

  bool WaitForExit(DWORD milliseconds = 20000) {
    return m_process.hProcess && WaitForSingleObject(m_process.hProcess, milliseconds) == WAIT_OBJECT_0;
  }
  DWORD ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
  }
  void Kill() {
    if (!m_process.hProcess) return;
    if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(m_process.hProcess, 1);
      WaitForSingleObject(m_process.hProcess, 10000);
    }
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
    m_process = {};
  }

  // The operation log as the program wrote it, record by record.
  std::vector<LogLine> Log() const { return LogIn(File(L"Sopora.dat")); }
  std::vector<LogLine> LogSince(std::size_t count) const {
    std::vector<LogLine> lines = Log();
    lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(count, lines.size())));
    return lines;
  }

  // A top-level window of the program with the given caption.
  HWND FindWindowTitled(const std::string& title) const {
    for (HWND window : WindowsOf(m_process.dwProcessId)) {
      if (WindowText(window) == title && IsWindowVisible(window)) return window;
    }
    return nullptr;
  }
  HWND WaitForWindowTitled(const std::string& title) const {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindWindowTitled(title)) != nullptr; });
    return found;
  }

  // The folder of the test program, where the programs under test are.
  static std::filesystem::path ProgramFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
  }

 private:
  static std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
  }

  TempFolder m_folder;
  PROCESS_INFORMATION m_process{};
  HWND m_frame = nullptr;
};

}  // namespace sopora::e2e
