// The data layer's file seam on a POSIX host, for benchmarks on real files.
#pragma once

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "data/file_system.h"

namespace sopora {

class PosixFileSystem : public FileSystem {
 public:
  explicit PosixFileSystem(bool syncOnFlush) : m_sync(syncOnFlush) {}

  bool Exists(const DataPath& path) override { return ::access(path.c_str(), F_OK) == 0; }
  FileContent Read(const DataPath& path, std::uint64_t, OpenFor) override {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return {FileContent::Status::Read, Bytes(std::istreambuf_iterator<char>(in), {})};
  }
  std::unique_ptr<OutputFile> Create(const DataPath& path) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return nullptr;
    return std::make_unique<File>(fd, m_sync);
  }
  bool AppendInPlace(const DataPath& path, std::uint64_t expectedSize, std::span<const std::uint8_t> tail) override {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
    if (fd < 0) return false;
    struct stat info {};
    const bool ok = ::fstat(fd, &info) == 0 && static_cast<std::uint64_t>(info.st_size) == expectedSize &&
                    ::write(fd, tail.data(), tail.size()) == static_cast<ssize_t>(tail.size()) &&
                    (!m_sync || ::fsync(fd) == 0);
    if (!ok && ::ftruncate(fd, static_cast<off_t>(expectedSize)) != 0) {
      // nothing more can be done
    }
    ::close(fd);
    return ok;
  }
  bool Replace(const DataPath& from, const DataPath& to) override {
    return std::rename(from.c_str(), to.c_str()) == 0;
  }
  bool MoveAside(const DataPath& from, const DataPath& to) override { return !Exists(to) && Replace(from, to); }
  void Remove(const DataPath& path) override { ::unlink(path.c_str()); }
  std::optional<FileStamp> Stamp(const DataPath& path) override {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return FileStamp{static_cast<std::uint64_t>(info.st_ino), static_cast<std::uint64_t>(info.st_size),
                     static_cast<std::uint64_t>(info.st_mtim.tv_sec) * 1000000000u +
                         static_cast<std::uint64_t>(info.st_mtim.tv_nsec)};
  }

  std::vector<DataPath> FilesMatching(const DataPath& pattern) override {
    std::vector<DataPath> found;
    const DataPath folder = pattern.parent_path();
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      if (::fnmatch(pattern.filename().c_str(), entry.path().filename().c_str(), 0) == 0) found.push_back(entry.path());
    }
    return found;
  }
  std::unique_ptr<FileLock> Lock(const DataPath& lockFile) override {
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT, 0644);
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET;
    whole.l_len = 1;
    if (fd >= 0 && ::fcntl(fd, F_SETLKW, &whole) != 0) {
      ::close(fd);
      return nullptr;
    }
    return std::make_unique<Held>(fd);
  }

 private:
  class Held : public FileLock {
   public:
    explicit Held(int fd) : m_fd(fd) {}
    bool Excludes() const override { return m_fd >= 0; }
    ~Held() override {
      if (m_fd >= 0) ::close(m_fd);  // closing releases the record lock
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

   private:
    int m_fd;
  };

  class File : public OutputFile {
   public:
    File(int fd, bool sync) : m_fd(fd), m_sync(sync) {}
    ~File() override { ::close(m_fd); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    bool Write(std::span<const std::uint8_t> bytes) override {
      return ::write(m_fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }
    bool Flush() override { return !m_sync || ::fsync(m_fd) == 0; }

   private:
    int m_fd;
    bool m_sync;
  };
  bool m_sync;
};

}  // namespace sopora
