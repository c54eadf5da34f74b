// The Win32 implementations of the data layer's seams.
#pragma once

#include "data/clock.h"
#include "data/data_paths.h"
#include "data/file_system.h"
#include "data/ini_store.h"
#include "data/notifier.h"

namespace sopora {

class Win32FileSystem : public FileSystem {
 public:
  bool Exists(const DataPath& path) override;
  FileContent Read(const DataPath& path, std::uint64_t maxBytes, OpenFor openFor) override;
  std::unique_ptr<OutputFile> Create(const DataPath& path) override;
  bool AppendInPlace(const DataPath& path, std::uint64_t expectedSize, std::span<const std::uint8_t> tail) override;
  bool Replace(const DataPath& from, const DataPath& to) override;
  bool MoveAside(const DataPath& from, const DataPath& to) override;
  void Remove(const DataPath& path) override;
  std::optional<FileStamp> Stamp(const DataPath& path) override;
  std::vector<DataPath> FilesMatching(const DataPath& pattern) override;
  std::unique_ptr<FileLock> Lock(const DataPath& lockFile) override;
};

// GetLocalTime.
class Win32Clock : public Clock {
 public:
  SystemTime LocalTime() override;
};

class Win32DataFolders : public DataFolders {
 public:
  std::optional<DataPath> ProgramFolder() override;
  std::optional<DataPath> PerUserFolder() override;
  bool CanCreateFilesIn(const DataPath& folder) override;
  bool CreateFolder(const DataPath& folder) override;
  bool CopyIfAbsent(const DataPath& from, const DataPath& to) override;
};

// Sopora.ini through GetPrivateProfileIntW / WritePrivateProfileStringW.
class Win32IniStore : public IniStore {
 public:
  explicit Win32IniStore(DataPath iniFile) : m_iniFile(std::move(iniFile)) {}
  std::int32_t GetInt(const char* section, const char* key, std::int32_t defaultValue) override;
  std::optional<std::string> GetString(const char* section, const char* key) override;
  bool WriteString(const char* section, const char* key, const char* value) override;

 private:
  DataPath m_iniFile;
};

// The application message box.
class Win32Notifier : public Notifier {
 public:
  void ShowWarning(const Message& message) override;
};

// The process-wide file system, message box and clock every store of the
// program uses; they hold no state of their own.
FileSystem& Win32Files();
Notifier& Win32MessageBox();
Clock& Win32LocalClock();

}  // namespace sopora
