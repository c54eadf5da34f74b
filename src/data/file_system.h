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
  enum class Status { Read, CannotOpen, TooLarge };
  Status status = Status::CannotOpen;
  Bytes bytes;  // the whole file when Read
};

// Tells one version of a file from the next: another file under the name,
// another size or another time of the last write.
struct FileStamp {
  std::uint64_t identity = 0;
  std::uint64_t size = 0;
  std::uint64_t lastWrite = 0;
  bool operator==(const FileStamp&) const = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual bool Exists(const DataPath& path) = 0;

  // Opens an existing file for reading and appending, as the stores do, and
  // returns its whole content. A file that may not be written (read-only, or
  // held open by another program without write sharing) cannot be opened
  // this way; a file larger than `maxBytes` is not read at all.
  virtual FileContent ReadForUpdate(const DataPath& path, std::uint64_t maxBytes) = 0;

  // Opens the file for writing from its start, creating it when missing and
  // cutting it to what is written; an existing file keeps its attributes.
  virtual std::unique_ptr<OutputFile> Create(const DataPath& path) = 0;

  // Moves `from` over an existing or missing `to` in one step: afterwards
  // `to` holds either its old content or the whole new one, and an existing
  // `to` keeps its attributes and permissions. A read-only `to` stays.
  virtual bool Replace(const DataPath& from, const DataPath& to) = 0;

  // Renames `from` to `to`, replacing an older `to`. False, with `from`
  // untouched, while another program holds it or when it is read-only.
  virtual bool MoveAside(const DataPath& from, const DataPath& to) = 0;

  // Deletes a file of our own, also when it is read-only or hidden.
  virtual void Remove(const DataPath& path) = 0;

  // The current version of a file; nothing when it cannot be looked at.
  virtual std::optional<FileStamp> Stamp(const DataPath& path) = 0;
};

// Creates (or rewrites in place) a file holding exactly `bytes`.
bool WriteWholeFile(FileSystem& files, const DataPath& path, std::span<const std::uint8_t> bytes);

// Rewrites `path` so that a crash, a forced power-off or a full disk leaves
// either the old content or the new one, never a truncated file: the new
// content goes to a temporary file in the same folder, is flushed, and then
// replaces the old file. Where no temporary file can be made but the file
// itself can be written, it is rewritten in place. On failure the old file
// is untouched.
bool RewriteFileAtomically(FileSystem& files, const DataPath& path, std::span<const std::uint8_t> bytes);

}  // namespace sopora
