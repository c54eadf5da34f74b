// The few file operations the data files need, so that the stores can be
// tested against an in-memory double and a write can be made to fail.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "data/data_paths.h"

namespace sopora {

using Bytes = std::vector<std::uint8_t>;

// A file being written; closing happens on destruction.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
  // Pushes everything written so far to the disk.
  virtual bool Flush() = 0;
};

// What reading a data file found.
struct FileContent {
  enum class Status {
    Read,        // `bytes` is the whole file
    CannotOpen,  // read-only, held by another program, or gone
    TooLarge,    // larger than the caller's limit: not read at all
    ReadFailed,  // opened, but the read broke off part-way: nothing is trusted
  };
  Status status = Status::CannotOpen;
  Bytes bytes;
};

// Tells one version of a file from the next: another file under the name,
// another size or another time of the last write.
struct FileStamp {
  std::uint64_t identity = 0;
  std::uint64_t size = 0;
  std::uint64_t lastWrite = 0;
  bool operator==(const FileStamp&) const = default;
};

// Held while it lives: the lock of a data file against every other writer.
class FileLock {
 public:
  virtual ~FileLock() = default;
  // False when the lock file could not be used at all (a folder under its
  // name, a path too long): then this lock keeps nobody out.
  virtual bool Excludes() const { return true; }
};

// How a data file is opened to be read.
enum class OpenFor {
  Reading,  // read access only: a read-only file can be read
  Update,   // read and write access, as the stores' "a+b" asks for
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual bool Exists(const DataPath& path) = 0;

  // Opens an existing file and returns its whole content. Opened for
  // update, a file that may not be written (read-only, or held open by
  // another program without write sharing) cannot be opened; a file larger
  // than `maxBytes` is not read at all.
  virtual FileContent Read(const DataPath& path, std::uint64_t maxBytes, OpenFor openFor) = 0;

  // Opens the file for writing from its start, creating it when missing and
  // cutting it to what is written; an existing file keeps its attributes.
  virtual std::unique_ptr<OutputFile> Create(const DataPath& path) = 0;

  // Adds `tail` to the end of an existing file that is `expectedSize` bytes
  // long. Should the write fail part-way, the file is cut back to its old
  // length, so it holds either its old bytes or all of the new ones. False,
  // with the file unchanged, when it cannot be opened for writing or its
  // length is not the one expected.
  virtual bool AppendInPlace(const DataPath& path, std::uint64_t expectedSize, std::span<const std::uint8_t> tail) = 0;

  // Moves `from` over an existing or missing `to` in one step: afterwards
  // `to` holds either its old content or the whole new one, and an existing
  // `to` keeps its attributes and permissions. A read-only `to` stays.
  virtual bool Replace(const DataPath& from, const DataPath& to) = 0;

  // Renames `from` to `to`, which must not exist yet. False, with `from`
  // untouched, while another program holds it or when it is read-only.
  virtual bool MoveAside(const DataPath& from, const DataPath& to) = 0;

  // Deletes a file of our own, also when it is read-only or hidden.
  virtual void Remove(const DataPath& path) = 0;

  // The current version of a file; nothing when it cannot be looked at.
  virtual std::optional<FileStamp> Stamp(const DataPath& path) = 0;

  // The files of a folder whose names match `pattern` (its last element may
  // hold "*"), in no particular order.
  virtual std::vector<DataPath> FilesMatching(const DataPath& pattern) = 0;

  // Takes the lock file `lockFile`, waiting a little while another program
  // holds it; null when it stays taken. The lock works across sessions and
  // programs. Where the lock file cannot be used at all (it cannot be made,
  // or is a folder), a lock that excludes nobody is returned.
  virtual std::unique_ptr<FileLock> Lock(const DataPath& lockFile) = 0;
};

// Creates (or rewrites in place) a file holding exactly `bytes`.
bool WriteWholeFile(FileSystem& files, const DataPath& path, std::span<const std::uint8_t> bytes);

// Beside each file the program rewrites: the lock file its writers take
// (<file>.lock), and the temporary file that holds the next content until
// it replaces the file (<file>.new).
DataPath LockFileOf(const DataPath& file);
DataPath TemporaryFileOf(const DataPath& file);

}  // namespace sopora
