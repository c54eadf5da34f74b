#include "data/file_system_win.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <algorithm>

#include "framework/win_handles.h"

namespace sopora {

namespace {
bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 20));
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes = bytes.subspan(written);
  }
  return true;
}

class Win32OutputFile : public OutputFile {
 public:
  explicit Win32OutputFile(HANDLE handle) : m_handle(handle) {}

  bool Write(std::span<const std::uint8_t> bytes) override { return WriteAll(m_handle.Get(), bytes); }
  bool Flush() override { return FlushFileBuffers(m_handle.Get()) != FALSE; }

 private:
  UniqueKernelHandle m_handle;
};

bool IsReadOnly(const DataPath& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

std::uint64_t Combine(DWORD high, DWORD low) { return (std::uint64_t{high} << 32) | low; }
}  // namespace

bool Win32FileSystem::Exists(const DataPath& path) { return PathFileExistsW(path.c_str()) != FALSE; }

FileContent Win32FileSystem::Read(const DataPath& path, std::uint64_t maxBytes, OpenFor openFor) {
  // For update, the access the stores' "a+b" asks for: write access too, so
  // a read-only file, or one held open without write sharing, is refused.
  const DWORD access = openFor == OpenFor::Update ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
  const UniqueKernelHandle file = FileHandle(CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  FileContent content;
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.Get(), &size)) return content;
  if (static_cast<std::uint64_t>(size.QuadPart) > maxBytes) {
    content.status = FileContent::Status::TooLarge;
    return content;
  }
  content.bytes.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < content.bytes.size()) {
    DWORD got = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.bytes.size() - done, 1u << 20));
    // A read that breaks off (a network folder, a byte range another
    // program locked) is a failed read: part of a file is never taken for
    // all of it.
    if (!ReadFile(file.Get(), content.bytes.data() + done, chunk, &got, nullptr) || got == 0) {
      content.bytes.clear();
      content.status = FileContent::Status::ReadFailed;
      return content;
    }
    done += got;
  }
  content.status = FileContent::Status::Read;
  return content;
}

std::unique_ptr<OutputFile> Win32FileSystem::Create(const DataPath& path) {
  // Opened rather than re-created, so an existing file keeps its attributes
  // (a hidden file could not even be re-created); then cut to nothing.
  UniqueKernelHandle file = FileHandle(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !SetEndOfFile(file.Get())) return nullptr;
  return std::make_unique<Win32OutputFile>(file.Release());
}

bool Win32FileSystem::Replace(const DataPath& from, const DataPath& to) {
  // A read-only file stays as it is. Windows refuses to replace one anyway;
  // asking first makes the rule hold where the rename would go through.
  if (IsReadOnly(to)) return false;
  const DWORD attributes = GetFileAttributesW(to.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
  }
  // ReplaceFileW keeps the old file's permissions and creation time; a file
  // system that cannot do that still gets the plain move. Its attributes
  // (hidden, say) are put back either way. Should ReplaceFileW fail half-way
  // (ERROR_UNABLE_TO_MOVE_REPLACEMENT, _2), `to` is gone and `from` still
  // holds the new content: the move puts it in place, or the caller finds
  // `to` missing and keeps `from`.
  const bool replaced =
      ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS,
                   nullptr, nullptr) ||
      MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (replaced) SetFileAttributesW(to.c_str(), attributes);
  return replaced;
}

bool Win32FileSystem::AppendInPlace(const DataPath& path, std::uint64_t expectedSize,
                                    std::span<const std::uint8_t> tail) {
  const UniqueKernelHandle file =
      FileHandle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.Get(), &size) || static_cast<std::uint64_t>(size.QuadPart) != expectedSize) {
    return false;
  }
  if (SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN) && WriteAll(file.Get(), tail) &&
      FlushFileBuffers(file.Get())) {
    return true;
  }
  // Cut back to the old bytes: the file never holds half of the new ones.
  SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN);
  SetEndOfFile(file.Get());
  FlushFileBuffers(file.Get());
  return false;
}

bool Win32FileSystem::MoveAside(const DataPath& from, const DataPath& to) {
  if (IsReadOnly(from)) return false;  // protected by its user: it stays where it is
  return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != FALSE;  // never over an earlier one
}

void Win32FileSystem::Remove(const DataPath& path) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());
}

std::optional<FileStamp> Win32FileSystem::Stamp(const DataPath& path) {
  // No access asked for: looking never gets in the way of a writer.
  const UniqueKernelHandle file =
      FileHandle(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !GetFileInformationByHandle(file.Get(), &info)) return std::nullopt;
  return FileStamp{Combine(info.nFileIndexHigh, info.nFileIndexLow), Combine(info.nFileSizeHigh, info.nFileSizeLow),
                   Combine(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)};
}

std::vector<DataPath> Win32FileSystem::FilesMatching(const DataPath& pattern) {
  std::vector<DataPath> found;
  WIN32_FIND_DATAW entry;
  const UniqueFindHandle search = FindHandle(FindFirstFileW(pattern.c_str(), &entry));
  if (!search) return found;
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found.push_back(pattern.parent_path() / entry.cFileName);
  } while (FindNextFileW(search.Get(), &entry));
  return found;
}

namespace {
// A byte-range lock on the lock file: Windows keeps other processes out of
// it in every session, and Wine maps it onto the host's own record locks,
// so it holds across Wine prefixes too.
class Win32FileLock : public FileLock {
 public:
  explicit Win32FileLock(UniqueKernelHandle file) : m_file(std::move(file)) {}
  ~Win32FileLock() override {
    if (!m_file) return;
    OVERLAPPED whole{};
    UnlockFileEx(m_file.Get(), 0, 1, 0, &whole);
  }
  Win32FileLock(const Win32FileLock&) = delete;
  Win32FileLock& operator=(const Win32FileLock&) = delete;
  bool Excludes() const override { return static_cast<bool>(m_file); }

 private:
  UniqueKernelHandle m_file;  // empty: a lock that holds nothing
};

// The lock file, opened so that nobody can delete or rename it while it is
// held. Write access is asked for first, as Wine takes a host write lock
// only for a handle that may write; LockFileEx itself needs only read
// access, so a read-only lock file still locks.
UniqueKernelHandle OpenLockFile(const DataPath& lockFile) {
  for (const DWORD access : {GENERIC_READ | GENERIC_WRITE, DWORD{GENERIC_READ}}) {
    UniqueKernelHandle file = FileHandle(CreateFileW(lockFile.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr));
    if (file || GetLastError() != ERROR_ACCESS_DENIED) return file;
  }
  return UniqueKernelHandle();
}

constexpr DWORD LOCK_WAIT_MS = 3000;  // another Sopora holds it for one write only
}  // namespace

std::unique_ptr<FileLock> Win32FileSystem::Lock(const DataPath& lockFile) {
  const ULONGLONG deadline = GetTickCount64() + LOCK_WAIT_MS;
  UniqueKernelHandle file = OpenLockFile(lockFile);
  // Another program may have it open without sharing for a moment.
  while (!file && GetLastError() == ERROR_SHARING_VIOLATION && GetTickCount64() <= deadline) {
    Sleep(10);
    file = OpenLockFile(lockFile);
  }
  if (!file && GetLastError() == ERROR_SHARING_VIOLATION) return nullptr;
  for (; file; Sleep(10)) {
    OVERLAPPED whole{};
    if (LockFileEx(file.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
      return std::make_unique<Win32FileLock>(std::move(file));
    }
    if (GetLastError() != ERROR_LOCK_VIOLATION) break;  // a file system without locks
    if (GetTickCount64() > deadline) return nullptr;
  }
  return std::make_unique<Win32FileLock>(UniqueKernelHandle());  // a folder, a path too long: no lock at all
}

FileSystem& Win32Files() {
  static Win32FileSystem files;
  return files;
}

std::optional<DataPath> ProgramFile() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::nullopt;
    if (length < path.size()) {
      path.resize(length);
      return DataPath(path);
    }
    path.resize(path.size() * 2);  // long path: try again with room for it
  }
}

std::optional<DataPath> Win32DataFolders::ProgramFolder() {
  const std::optional<DataPath> program = ProgramFile();
  if (!program) return std::nullopt;
  // Drive and directory, with the trailing backslash; the file name goes.
  std::wstring path = program->native();
  const std::size_t lastSeparator = path.find_last_of(L"\\/");
  if (lastSeparator == std::wstring::npos) return std::nullopt;
  path.resize(lastSeparator + 1);
  return DataPath(path);
}

std::optional<DataPath> Win32DataFolders::PerUserFolder() {
  PWSTR localAppData = nullptr;
  const HRESULT found = SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DEFAULT, nullptr, &localAppData);
  const UniqueTaskMemory owned(localAppData);  // to be freed whether the call succeeded or not
  if (FAILED(found)) return std::nullopt;
  return DataPath(std::wstring(localAppData) + L"\\Sopora\\");
}

bool Win32DataFolders::CanCreateFilesIn(const DataPath& folder) {
  const std::wstring probe = folder.native() + L"Sopora-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  const UniqueKernelHandle file =
      FileHandle(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  return static_cast<bool>(file);
}

bool Win32DataFolders::CreateFolder(const DataPath& folder) {
  return CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool Win32DataFolders::CopyIfAbsent(const DataPath& from, const DataPath& to) {
  if (!CopyFileW(from.c_str(), to.c_str(), TRUE)) return false;
  // A read-only file beside the program (on a CD, say) becomes the user's
  // own file here: it has to be written from now on.
  const DWORD attributes = GetFileAttributesW(to.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    SetFileAttributesW(to.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  return true;
}

}  // namespace sopora
