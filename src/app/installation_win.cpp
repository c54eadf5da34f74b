#include "app/installation_win.h"

#include <windows.h>
// needs windows.h before it
#include <shellapi.h>

#include <optional>
#include <string>

#include "framework/win_handles.h"

namespace sopora {

namespace {
constexpr const wchar_t* UNINSTALL_KEY = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Sopora";
constexpr const wchar_t* RUN_KEY = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* RUN_VALUE = L"Sopora";

// A text value, environment variables expanded; `view` picks the 64-bit or
// 32-bit registry of the machine.
std::optional<std::wstring> RegText(HKEY root, const wchar_t* key, const wchar_t* name, DWORD view = 0) {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) return std::nullopt;
  std::wstring value;
  DWORD size = 0;
  // RRF_RT_REG_SZ takes REG_EXPAND_SZ too, and expands it.
  LSTATUS status = RegGetValueW(opened, nullptr, name, RRF_RT_REG_SZ, nullptr, nullptr, &size);
  if (status == ERROR_SUCCESS) {
    value.resize(size / sizeof(wchar_t));
    status = RegGetValueW(opened, nullptr, name, RRF_RT_REG_SZ, nullptr, value.data(), &size);
  }
  RegCloseKey(opened);
  if (status != ERROR_SUCCESS) return std::nullopt;
  value.resize(value.find(L'\0') == std::wstring::npos ? value.size() : value.find(L'\0'));
  return value;
}

// Whether two paths name the same file, however each is spelt (letter case,
// short names, a path through a link).
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  BY_HANDLE_FILE_INFORMATION info[2]{};
  const std::filesystem::path* paths[] = {&a, &b};
  for (int i = 0; i < 2; ++i) {
    const UniqueKernelHandle file =
        FileHandle(CreateFileW(paths[i]->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file || !GetFileInformationByHandle(file.Get(), &info[i])) return false;
  }
  return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
         info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}
}  // namespace

AllUsersInstall FindAllUsersInstall(const std::filesystem::path& program) {
  AllUsersInstall found = AllUsersInstall::None;
  // The 64-bit and the 32-bit installer each register in their own view.
  for (const DWORD view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
    const std::optional<std::wstring> folder = RegText(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, L"InstallLocation", view);
    if (!folder || folder->empty()) continue;
    const std::filesystem::path installed = std::filesystem::path(*folder) / L"Sopora.exe";
    if (SameFile(program, installed)) return AllUsersInstall::ThisProgram;
    // An entry whose program is gone (removed by hand) installs nothing.
    if (GetFileAttributesW(installed.c_str()) != INVALID_FILE_ATTRIBUTES) found = AllUsersInstall::Another;
  }
  return found;
}

bool RemoveOwnStartAtSignIn(const std::filesystem::path& program) {
  const std::optional<std::wstring> command = RegText(HKEY_CURRENT_USER, RUN_KEY, RUN_VALUE);
  // An empty command line would stand for the running program itself.
  if (!command || command->empty()) return false;
  int count = 0;
  const UniqueLocalMemory arguments(CommandLineToArgvW(command->c_str(), &count));
  if (!arguments || count < 1 || !SameFile(static_cast<wchar_t**>(arguments.Get())[0], program)) return false;
  return RegDeleteKeyValueW(HKEY_CURRENT_USER, RUN_KEY, RUN_VALUE) == ERROR_SUCCESS;
}

}  // namespace sopora
