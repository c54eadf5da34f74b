#include "data/data_paths.h"

namespace sopora {

namespace {
constexpr const char* DATA_FILE_NAMES[] = {"Sopora.ini", "Sopora.dat", "SoporaWnd.dat", "SoporaDays.csv"};

// Plain concatenation, as the file names are appended to the directory text:
// no separator is added and nothing in the directory is reinterpreted.
DataPath Join(const DataPath& directory, const DataPath& name) {
  return DataPath(directory.native() + name.native());
}
}  // namespace

DataFilePaths DataFilePathsIn(const DataPath& dataFolder, const DataPath& programFolder) {
  return {
      Join(dataFolder, DATA_FILE_NAMES[0]),
      Join(dataFolder, DATA_FILE_NAMES[1]),
      Join(dataFolder, DATA_FILE_NAMES[2]),
      Join(dataFolder, DATA_FILE_NAMES[3]),
      Join(programFolder, "Help\\index.htm"),  // the help pages are only ever opened by the Windows shell
      Join(programFolder, "Help\\index-en.htm"),
  };
}

DataFilePaths LocateDataFiles(DataFolders& folders) {
  const DataPath program = folders.ProgramFolder().value_or(DataPath());
  const bool shared = folders.ProgramFolderIsShared();
  if (!shared && (program.empty() || folders.CanCreateFilesIn(program))) return DataFilePathsIn(program, program);

  const std::optional<DataPath> perUser = folders.PerUserFolder();
  if (!perUser || !folders.CreateFolder(*perUser) || !folders.CanCreateFilesIn(*perUser)) {
    DataFilePaths readOnly = DataFilePathsIn(shared && perUser ? *perUser : program, program);
    readOnly.writable = false;
    return readOnly;
  }
  if (!shared) {
    for (const char* name : DATA_FILE_NAMES) folders.CopyIfAbsent(Join(program, name), Join(*perUser, name));
  }
  return DataFilePathsIn(*perUser, program);
}

}  // namespace sopora
