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

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Directory of the running executable, with its trailing separator.
  virtual std::optional<DataPath> ModuleDirectory() = 0;

  virtual bool Exists(const DataPath& path) = 0;

  // Opens an existing file for reading and appending, as the stores do, and
  // returns its whole content. A file that may not be written cannot be
  // opened this way: the result is then empty.
  virtual std::optional<Bytes> ReadForUpdate(const DataPath& path) = 0;

  // Creates (or truncates) the file for writing.
  virtual std::unique_ptr<OutputFile> Create(const DataPath& path) = 0;

  // Moves `from` over `to` in one step: afterwards `to` holds either its old
  // content or the whole new one.
  virtual bool Replace(const DataPath& from, const DataPath& to) = 0;

  virtual void Remove(const DataPath& path) = 0;
};

// Creates a new file holding exactly `bytes`.
bool WriteNewFile(FileSystem& files, const DataPath& path, std::span<const std::uint8_t> bytes);

// Rewrites `path` so that a crash, a forced power-off or a full disk leaves
// either the old content or the new one, never a truncated file: the new
// content goes to a temporary file in the same folder, is flushed, and then
// replaces the old file. On failure the old file is untouched.
bool RewriteFileAtomically(FileSystem& files, const DataPath& path, std::span<const std::uint8_t> bytes);

}  // namespace sopora
