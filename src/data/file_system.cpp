#include "data/file_system.h"

namespace sopora {

bool WriteNewFile(FileSystem& files, const DataPath& path, std::span<const std::uint8_t> bytes) {
  const std::unique_ptr<OutputFile> file = files.Create(path);
  return file && file->Write(bytes) && file->Flush();
}

bool RewriteFileAtomically(FileSystem& files, const DataPath& path, std::span<const std::uint8_t> bytes) {
  const DataPath temporary(path.native() + DataPath(".new").native());
  if (!WriteNewFile(files, temporary, bytes) || !files.Replace(temporary, path)) {
    files.Remove(temporary);
    return false;
  }
  return true;
}

}  // namespace sopora
