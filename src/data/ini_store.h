// The settings file as the program needs it: integers in one section.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace sopora {

class IniStore {
 public:
  virtual ~IniStore() = default;
  // The key's integer value, or `defaultValue` when the file, the section or
  // the key is missing.
  virtual std::int32_t GetInt(const char* section, const char* key, std::int32_t defaultValue) = 0;
  // The key's text (CP932), or nothing when the file, the section or the
  // key is missing.
  virtual std::optional<std::string> GetString(const char* section, const char* key) = 0;
  // Writes the key's text; false when the file cannot be written.
  virtual bool WriteString(const char* section, const char* key, const char* value) = 0;
};

std::int32_t ReadIniInt(IniStore& ini, const char* section, const char* key);
bool WriteIniInt(IniStore& ini, const char* section, const char* key, std::int32_t value);

}  // namespace sopora
