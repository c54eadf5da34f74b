#include "data/file_system.h"

namespace sopora {

bool WriteWholeFile(FileSystem& files, const DataPath& path, std::span<const std::uint8_t> bytes) {
  const std::unique_ptr<OutputFile> file = files.Create(path);
  return file && file->Write(bytes) && file->Flush();
}

bool RewriteFileAtomically(FileSystem& files, const DataPath& path, std::span<const std::uint8_t> bytes) {
  const DataPath temporary(path.native() + DataPath(".new").native());
  // A temporary left by a crash (perhaps hidden or read-only by now) must
  // not block this and every later save.
  files.Remove(temporary);
  std::unique_ptr<OutputFile> file = files.Create(temporary);
  if (!file) return WriteWholeFile(files, path, bytes);  // no new file here: rewrite in place
  const bool written = file->Write(bytes) && file->Flush();
  file.reset();  // closed before it can be moved
  if (!written || !files.Replace(temporary, path)) {
    files.Remove(temporary);
    return false;
  }
  return true;
}

}  // namespace sopora
