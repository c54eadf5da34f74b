// The Win32 implementations of the data layer's seams.
#pragma once

#include "data/data_store.h"
#include "data/file_system.h"
#include "data/ini_store.h"
#include "data/notifier.h"

namespace sopora {

class Win32FileSystem : public FileSystem {
 public:
  std::optional<DataPath> ModuleDirectory() override;
  bool Exists(const DataPath& path) override;
  std::optional<Bytes> ReadForUpdate(const DataPath& path) override;
  std::unique_ptr<OutputFile> Create(const DataPath& path) override;
  bool Replace(const DataPath& from, const DataPath& to) override;
  void Remove(const DataPath& path) override;
};

// Sopora.ini through GetPrivateProfileIntW / WritePrivateProfileStringW.
class Win32IniStore : public IniStore {
 public:
  std::int32_t GetInt(const char* section, const char* key, std::int32_t defaultValue) override;
  bool WriteString(const char* section, const char* key, const char* value) override;
};

// The application message box.
class Win32Notifier : public Notifier {
 public:
  void ShowWarning(const std::string& text) override;
};

// The process-wide real services every CDataStore of the program uses.
const DataStoreServices& Win32DataStoreServices();

}  // namespace sopora
