#include "data/file_system.h"

namespace sopora {

DataPath LockFileOf(const DataPath& file) { return DataPath(file.native() + DataPath(".lock").native()); }

DataPath TemporaryFileOf(const DataPath& file) { return DataPath(file.native() + DataPath(".new").native()); }

bool WriteWholeFile(FileSystem& files, const DataPath& path, std::span<const std::uint8_t> bytes) {
  const std::unique_ptr<OutputFile> file = files.Create(path);
  return file && file->Write(bytes) && file->Flush();
}

}  // namespace sopora
