#include "data/data_paths.h"

namespace sopora {

DataPath g_strIniFile;
DataPath g_strLogFile;
DataPath g_strWndFile;
DataPath g_strHelpFile;

namespace {
// Plain concatenation, as the file names are appended to the directory text:
// no separator is added and nothing in the directory is reinterpreted.
DataPath Join(const DataPath& directory, const DataPath& name) {
  return DataPath(directory.native() + name.native());
}
}  // namespace

void SetDataFilePaths(const DataPath& moduleDirectory) {
  g_strIniFile = Join(moduleDirectory, "Sopora.ini");
  g_strLogFile = Join(moduleDirectory, "Sopora.dat");
  g_strWndFile = Join(moduleDirectory, "SoporaWnd.dat");
  g_strHelpFile = Join(moduleDirectory, "Help\\index.htm");  // only ever opened by the Windows shell
}

}  // namespace sopora
