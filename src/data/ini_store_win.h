// Sopora.ini through GetPrivateProfileIntW / WritePrivateProfileStringW.
#pragma once

#include <utility>

#include "data/data_paths.h"
#include "data/ini_store.h"

namespace sopora {

class Win32IniStore : public IniStore {
 public:
  explicit Win32IniStore(DataPath iniFile) : m_iniFile(std::move(iniFile)) {}
  std::int32_t GetInt(const char* section, const char* key, std::int32_t defaultValue) override;
  std::optional<std::string> GetString(const char* section, const char* key) override;
  bool WriteString(const char* section, const char* key, const char* value) override;

 private:
  DataPath m_iniFile;
};

}  // namespace sopora
