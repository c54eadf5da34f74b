// The data files and their folders through the Win32 file API.
#pragma once

#include "data/data_paths.h"
#include "data/file_system.h"

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

class Win32DataFolders : public DataFolders {
 public:
  // `shared`: the program runs from the machine's install for every user.
  explicit Win32DataFolders(bool shared) : m_shared(shared) {}
  std::optional<DataPath> ProgramFolder() override;
  bool ProgramFolderIsShared() override { return m_shared; }
  std::optional<DataPath> PerUserFolder() override;
  bool CanCreateFilesIn(const DataPath& folder) override;
  bool CreateFolder(const DataPath& folder) override;
  bool CopyIfAbsent(const DataPath& from, const DataPath& to) override;

 private:
  bool m_shared;
};

// The running executable's full path.
std::optional<DataPath> ProgramFile();

// The process-wide file system every store of the program uses; it holds no
// state of its own.
FileSystem& Win32Files();

}  // namespace sopora
