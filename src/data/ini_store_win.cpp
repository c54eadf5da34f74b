#include "data/ini_store_win.h"

#include <windows.h>

#include <iterator>
#include <string_view>

#include "framework/text_win.h"

namespace sopora {

std::int32_t Win32IniStore::GetInt(const char* section, const char* key, std::int32_t defaultValue) {
  // The platform returns the parsed value as unsigned; negative entries come
  // back as their two's complement, which is what the settings expect.
  return static_cast<std::int32_t>(GetPrivateProfileIntW(WidenCp932(section).c_str(), WidenCp932(key).c_str(),
                                                         defaultValue, m_iniFile.c_str()));
}

std::optional<std::string> Win32IniStore::GetString(const char* section, const char* key) {
  // A default no value can hold tells a missing key from an empty one.
  constexpr const wchar_t* MISSING = L"\x01";
  wchar_t text[256] = {};
  GetPrivateProfileStringW(WidenCp932(section).c_str(), WidenCp932(key).c_str(), MISSING, text,
                           static_cast<DWORD>(std::size(text)), m_iniFile.c_str());
  if (std::wstring_view(text) == MISSING) return std::nullopt;
  return NarrowCp932(text);
}

bool Win32IniStore::WriteString(const char* section, const char* key, const char* value) {
  return WritePrivateProfileStringW(WidenCp932(section).c_str(), WidenCp932(key).c_str(),
                                    WidenCp932(value).c_str(), m_iniFile.c_str()) != FALSE;
}

}  // namespace sopora
