#include <windows.h>
#include <shlwapi.h>

#include <cstdio>

#include "data/win32_services.h"

namespace sopora {

namespace {
class Win32OutputFile : public OutputFile {
 public:
  explicit Win32OutputFile(HANDLE handle) : m_handle(handle) {}
  ~Win32OutputFile() override { CloseHandle(m_handle); }
  Win32OutputFile(const Win32OutputFile&) = delete;
  Win32OutputFile& operator=(const Win32OutputFile&) = delete;

  bool Write(std::span<const std::uint8_t> bytes) override {
    while (!bytes.empty()) {
      DWORD written = 0;
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
      if (!WriteFile(m_handle, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
      bytes = bytes.subspan(written);
    }
    return true;
  }
  bool Flush() override { return FlushFileBuffers(m_handle) != FALSE; }

 private:
  HANDLE m_handle;
};
}  // namespace

std::optional<DataPath> Win32FileSystem::ModuleDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::nullopt;
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);  // long path: try again with room for it
  }
  // Drive and directory, with the trailing backslash; the file name goes.
  const std::size_t lastSeparator = path.find_last_of(L"\\/");
  if (lastSeparator == std::wstring::npos) return std::nullopt;
  path.resize(lastSeparator + 1);
  return DataPath(path);
}

bool Win32FileSystem::Exists(const DataPath& path) { return PathFileExistsW(path.c_str()) != FALSE; }

std::optional<Bytes> Win32FileSystem::ReadForUpdate(const DataPath& path) {
  // "a+b" asks for write access too, so a read-only file is refused here.
  FILE* file = _wfopen(path.c_str(), L"a+b");
  if (!file) return std::nullopt;
  Bytes content;
  std::uint8_t block[4096];
  std::rewind(file);
  for (std::size_t got; (got = std::fread(block, 1, sizeof block, file)) != 0;) {
    content.insert(content.end(), block, block + got);
  }
  std::fclose(file);
  return content;
}

std::unique_ptr<OutputFile> Win32FileSystem::Create(const DataPath& path) {
  const HANDLE handle =
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32OutputFile>(handle);
}

bool Win32FileSystem::Replace(const DataPath& from, const DataPath& to) {
  // A read-only file stays as it is. Windows refuses to replace one anyway;
  // asking first makes the rule hold where the rename would go through.
  const DWORD attributes = GetFileAttributesW(to.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void Win32FileSystem::Remove(const DataPath& path) { DeleteFileW(path.c_str()); }

}  // namespace sopora
