// Where the program's files live: all next to the executable.
#pragma once

#include <filesystem>

namespace sopora {

// Paths are kept in the platform's own form (UTF-16 on Windows), so a folder
// whose name the Shift JIS code page cannot spell still works.
using DataPath = std::filesystem::path;

extern DataPath g_strIniFile;   // settings
extern DataPath g_strLogFile;   // operation log
extern DataPath g_strWndFile;   // exception-window list
extern DataPath g_strHelpFile;  // help start page

// Sets the four paths from the module directory, which ends in a separator
// (for example C:\Tools\Sopora\); an empty directory gives paths relative to
// the current folder.
void SetDataFilePaths(const DataPath& moduleDirectory);

}  // namespace sopora
