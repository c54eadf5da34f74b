// Where the program's files live: the data files beside the executable, or
// in the user's own folder when the program's folder cannot be written; the
// help page always beside the executable.
#pragma once

#include <filesystem>
#include <optional>

namespace sopora {

// Paths are kept in the platform's own form (UTF-16 on Windows), so a folder
// whose name the Shift JIS code page cannot spell still works.
using DataPath = std::filesystem::path;

// The files, decided once at start-up and handed to whoever needs them.
struct DataFilePaths {
  DataPath iniFile;   // settings, Sopora.ini
  DataPath logFile;   // operation log, Sopora.dat
  DataPath wndFile;   // exception-window list, SoporaWnd.dat
  DataPath dayBookFile;  // minutes per day, SoporaDays.csv
  DataPath helpFile;         // help start page, Help\index.htm
  DataPath englishHelpFile;  // the same in English, Help\index-en.htm
  // False when neither the program's folder nor the user's own could be
  // written: the files are then read where they are, and missing ones are
  // neither created nor reported one by one.
  bool writable = true;
};

// The paths for data files in `dataFolder` and the help page under
// `programFolder`; both end in a separator (for example C:\Tools\Sopora\),
// and an empty folder gives paths relative to the current one.
DataFilePaths DataFilePathsIn(const DataPath& dataFolder, const DataPath& programFolder);

// The folders the data files may live in, and what can be done in them.
class DataFolders {
 public:
  virtual ~DataFolders() = default;
  // Folder of the running executable, with its trailing separator.
  virtual std::optional<DataPath> ProgramFolder() = 0;
  // Whether that folder is the machine's install for every user: then it
  // holds no user's data, even where it can be written (Program Files with
  // UAC turned off), and a file found there is nobody's to take over.
  virtual bool ProgramFolderIsShared() = 0;
  // The user's own folder for Sopora (%LOCALAPPDATA%\Sopora\); it may not
  // exist yet.
  virtual std::optional<DataPath> PerUserFolder() = 0;
  // Whether a new file can be created in the folder now.
  virtual bool CanCreateFilesIn(const DataPath& folder) = 0;
  // Creates the folder; true when it exists afterwards.
  virtual bool CreateFolder(const DataPath& folder) = 0;
  // Copies a readable file to a name that is still free, as a file the
  // user may write (a read-only attribute is not carried over); false
  // otherwise.
  virtual bool CopyIfAbsent(const DataPath& from, const DataPath& to) = 0;
};

// Beside the program when its folder can be written (as always). Otherwise
// (unpacked under Program Files, say) in the per-user folder when that can
// be written, which takes over the files found beside the program the first
// time it is used. When neither can, beside the program, not writable.
// Installed for every user: always the per-user folder, taking nothing over
// (not writable when it cannot be made).
DataFilePaths LocateDataFiles(DataFolders& folders);

}  // namespace sopora
