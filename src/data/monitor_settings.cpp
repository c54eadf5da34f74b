#include "data/monitor_settings.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace sopora {

std::int32_t ReadIniInt(IniStore& ini, const char* section, const char* key) {
  return ini.GetInt(section, key, 0);
}

bool WriteIniInt(IniStore& ini, const char* section, const char* key, std::int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  return ini.WriteString(section, key, text);
}

MonitorSettings ReadMonitorSettings(IniStore& ini) {
  MonitorSettings s;
  s.CPUBorder = ReadIniInt(ini, SETTINGS_SECTION, "CPUBorder");
  s.NETBorder = ReadIniInt(ini, SETTINGS_SECTION, "NETBorder");
  s.DISKBorder = ReadIniInt(ini, SETTINGS_SECTION, "DISKBorder");
  s.MAXTime = ReadIniInt(ini, SETTINGS_SECTION, "MAXTime");
  s.Interval = ReadIniInt(ini, SETTINGS_SECTION, "Interval");
  s.Method = ReadIniInt(ini, SETTINGS_SECTION, "Method");
  s.ResumeReboot = ReadIniInt(ini, SETTINGS_SECTION, "ResumeReboot");
  s.Retry = ReadIniInt(ini, SETTINGS_SECTION, "Retry");
  s.Network = ReadIniInt(ini, SETTINGS_SECTION, "Network");
  s.Disk = ReadIniInt(ini, SETTINGS_SECTION, "Disk");
  if (const std::optional<std::string> requests = ini.GetString(SETTINGS_SECTION, "Requests")) {
    s.hasRequests = true;
    s.Requests = *requests == "1" ? 1 : 0;  // anything else is off
  }
  if (const std::optional<std::string> warn = ini.GetString(SETTINGS_SECTION, "Warn")) {
    s.hasWarn = true;
    s.Warn = ParseWarnSeconds(*warn);
  }
  if (const std::optional<std::string> language = ini.GetString(SETTINGS_SECTION, "Language")) {
    s.hasLanguage = true;
    s.Language = *language;
  }
  RepairMonitorSettings(s);
  return s;
}

std::int32_t ParseWarnSeconds(std::string_view text) {
  std::int32_t seconds = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (error == std::errc::result_out_of_range && !text.starts_with('-')) return WARN_LIMIT_SECONDS;
  if (error != std::errc() || end != text.data() + text.size() || seconds < 0) return DEFAULT_WARN_SECONDS;
  return std::min(seconds, WARN_LIMIT_SECONDS);
}

void RepairMonitorSettings(MonitorSettings& s) {
  if (s.NETBorder <= 0 || s.NETBorder >= 1000) s.NETBorder = 300;
  if (s.DISKBorder <= 0 || s.DISKBorder >= 1000) s.DISKBorder = 500;
  // A negative interval or duration is as unusable as a missing one.
  if (s.Interval <= 0) s.Interval = 1;
  if (s.Interval > INTERVAL_LIMIT_SECONDS) s.Interval = INTERVAL_LIMIT_SECONDS;
  if (s.MAXTime <= 0) s.MAXTime = 5;
  if (s.MAXTime > MAX_TIME_LIMIT_MINUTES) s.MAXTime = MAX_TIME_LIMIT_MINUTES;
  if (s.CPUBorder <= 0) s.CPUBorder = 20;
}

bool WriteMonitorSettings(IniStore& ini, MonitorSettings& s) {
  bool written = true;
  const auto write = [&](const char* key, std::int32_t value) {
    written = WriteIniInt(ini, SETTINGS_SECTION, key, value) && written;
  };
  write("CPUBorder", s.CPUBorder);
  write("DISKBorder", s.DISKBorder);
  write("NETBorder", s.NETBorder);
  write("MAXTime", s.MAXTime);
  write("Interval", s.Interval);
  write("Method", s.Method);
  write("ResumeReboot", s.ResumeReboot);
  write("Retry", s.Retry);
  write("Network", s.Network);
  write("Disk", s.Disk);
  if (s.hasRequests || s.Requests == 1) {
    write("Requests", s.Requests);
    s.hasRequests = true;  // from now on the file holds it
  }
  if (s.hasWarn) write("Warn", s.Warn);
  if (s.hasLanguage) written = ini.WriteString(SETTINGS_SECTION, "Language", s.Language.c_str()) && written;
  return written;
}

bool SaveMonitorSettings(FileSystem& files, const DataPath& iniFile, const OpenIniStore& openIni,
                         MonitorSettings& settings) {
  constexpr std::uint64_t INI_MAX_BYTES = 1 << 20;  // a settings file is a few hundred bytes
  const std::unique_ptr<FileLock> lock = files.Lock(LockFileOf(iniFile));
  if (!lock) return false;  // another Sopora is saving
  const DataPath copy = TemporaryFileOf(iniFile);
  // A copy left where the file is missing is the only one: it comes back.
  if (!files.Exists(iniFile) && files.Exists(copy) && !files.Replace(copy, iniFile)) return false;
  files.Remove(copy);
  if (files.Exists(iniFile)) {
    const FileContent current = files.Read(iniFile, INI_MAX_BYTES, OpenFor::Reading);
    if (current.status != FileContent::Status::Read || !WriteWholeFile(files, copy, current.bytes)) {
      files.Remove(copy);
      return false;
    }
  }
  const std::unique_ptr<IniStore> ini = openIni(copy);
  if (WriteMonitorSettings(*ini, settings) && files.Replace(copy, iniFile)) return true;
  if (files.Exists(iniFile)) files.Remove(copy);  // else the copy is all there is: the next save puts it back
  return false;
}

std::string ReadLanguageSetting(IniStore& ini) {
  return ini.GetString(SETTINGS_SECTION, "Language").value_or(std::string());
}

}  // namespace sopora
