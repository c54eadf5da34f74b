#include "data/monitor_settings.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iterator>
#include <limits>

namespace sopora {

std::int32_t ReadIniInt(IniStore& ini, const char* section, const char* key) {
  return ini.GetInt(section, key, 0);
}

bool WriteIniInt(IniStore& ini, const char* section, const char* key, std::int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
  return ini.WriteString(section, key, text);
}

namespace {

// How a key's text becomes its value. The ten first keys are integers; the
// later ones are read as text, so that a key the file lacks is told from
// one it holds.
enum class KeyText {
  Integer,  // GetPrivateProfileInt's reading: 0 when missing or not a number
  Switch,   // "1" is on, anything else off
  Seconds,  // ParseWarnSeconds
  Text,     // kept as written
  Number,   // a whole number; anything else leaves the default
};

inline constexpr std::int32_t ANY_LOW = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int32_t ANY_HIGH = std::numeric_limits<std::int32_t>::max();

// One key of Sopora.ini: where its value lives, how it is read and
// repaired, and its place when the file is written.
struct SettingKey {
  const char* name;
  KeyText text;
  std::int32_t MonitorSettings::*number;  // null for the Text key
  // Repair: a value below `lowest` becomes `fallback`; one above `highest`
  // becomes `highest` when clamped, else `fallback`.
  std::int32_t fallback;
  std::int32_t lowest;
  std::int32_t highest;
  bool clampedHigh;
  // The later keys: whether the file holds the key (null for the ten, which
  // are always written), and whether turning the switch on writes it anyway.
  bool MonitorSettings::*inFile;
  bool writtenOnceOn;
  int writePosition;
};

// In the order the keys are read. Writing puts DISKBorder before NETBorder,
// as the program always has; the tests pin both orders.
constexpr SettingKey SETTING_KEYS[] = {
    {"CPUBorder", KeyText::Integer, &MonitorSettings::CPUBorder, 20, 1, ANY_HIGH, false, nullptr, false, 0},
    {"NETBorder", KeyText::Integer, &MonitorSettings::NETBorder, 300, 1, 999, false, nullptr, false, 2},
    {"DISKBorder", KeyText::Integer, &MonitorSettings::DISKBorder, 500, 1, 999, false, nullptr, false, 1},
    // Bounded above so that the timer period and the target stay small.
    {"MAXTime", KeyText::Integer, &MonitorSettings::MAXTime, 5, 1, MAX_TIME_LIMIT_MINUTES, true, nullptr, false, 3},
    {"Interval", KeyText::Integer, &MonitorSettings::Interval, 1, 1, INTERVAL_LIMIT_SECONDS, true, nullptr, false, 4},
    // The method and the switches are used as read.
    {"Method", KeyText::Integer, &MonitorSettings::Method, 0, ANY_LOW, ANY_HIGH, false, nullptr, false, 5},
    {"ResumeReboot", KeyText::Integer, &MonitorSettings::ResumeReboot, 0, ANY_LOW, ANY_HIGH, false, nullptr, false, 6},
    {"Retry", KeyText::Integer, &MonitorSettings::Retry, 0, ANY_LOW, ANY_HIGH, false, nullptr, false, 7},
    {"Network", KeyText::Integer, &MonitorSettings::Network, 0, ANY_LOW, ANY_HIGH, false, nullptr, false, 8},
    {"Disk", KeyText::Integer, &MonitorSettings::Disk, 0, ANY_LOW, ANY_HIGH, false, nullptr, false, 9},
    {"Requests", KeyText::Switch, &MonitorSettings::Requests, 0, ANY_LOW, ANY_HIGH, false,
     &MonitorSettings::hasRequests, true, 10},
    {"Warn", KeyText::Seconds, &MonitorSettings::Warn, DEFAULT_WARN_SECONDS, 0, WARN_LIMIT_SECONDS, true,
     &MonitorSettings::hasWarn, false, 11},
    {"Language", KeyText::Text, nullptr, 0, ANY_LOW, ANY_HIGH, false, &MonitorSettings::hasLanguage, false, 12},
    {"EventLog", KeyText::Switch, &MonitorSettings::EventLog, EVENT_LOG_AUTOMATIC, ANY_LOW, ANY_HIGH, false,
     &MonitorSettings::hasEventLog, false, 13},
    {"Watts", KeyText::Number, &MonitorSettings::Watts, DEFAULT_AWAKE_WATTS, 1, AWAKE_WATTS_LIMIT, false,
     &MonitorSettings::hasWatts, false, 14},
};

constexpr bool WritePositionsAreEachUsedOnce() {
  for (int position = 0; position < static_cast<int>(std::size(SETTING_KEYS)); ++position) {
    if (std::ranges::count(SETTING_KEYS, position, &SettingKey::writePosition) != 1) return false;
  }
  return true;
}
static_assert(WritePositionsAreEachUsedOnce());

// Leaves `value` as it was unless the text is a number and nothing else.
void ParseWholeNumber(std::string_view text, std::int32_t& value) {
  std::int32_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error == std::errc() && end == text.data() + text.size()) value = number;
}

void ReadKey(IniStore& ini, const SettingKey& key, MonitorSettings& s) {
  if (key.text == KeyText::Integer) {
    s.*key.number = ReadIniInt(ini, SETTINGS_SECTION, key.name);
    return;
  }
  const std::optional<std::string> text = ini.GetString(SETTINGS_SECTION, key.name);
  if (!text) return;  // the default stays
  s.*key.inFile = true;
  switch (key.text) {
    case KeyText::Switch: s.*key.number = *text == "1" ? 1 : 0; break;
    case KeyText::Seconds: s.*key.number = ParseWarnSeconds(*text); break;
    case KeyText::Number: ParseWholeNumber(*text, s.*key.number); break;
    default: s.Language = *text; break;
  }
}

bool WriteKey(IniStore& ini, const SettingKey& key, MonitorSettings& s) {
  if (key.inFile) {
    const bool turnedOn = key.writtenOnceOn && s.*key.number == 1;
    if (!(s.*key.inFile || turnedOn)) return true;  // a file that never held it stays as it was
    s.*key.inFile = true;                            // from now on the file holds it
  }
  if (key.text == KeyText::Text) return ini.WriteString(SETTINGS_SECTION, key.name, s.Language.c_str());
  return WriteIniInt(ini, SETTINGS_SECTION, key.name, s.*key.number);
}

void RepairKey(const SettingKey& key, MonitorSettings& s) {
  if (!key.number) return;
  std::int32_t& value = s.*key.number;
  if (value < key.lowest) value = key.fallback;
  if (value > key.highest) value = key.clampedHigh ? key.highest : key.fallback;
}

const SettingKey* FindKey(std::string_view name) {
  const auto found = std::ranges::find(SETTING_KEYS, name, &SettingKey::name);
  return found == std::end(SETTING_KEYS) ? nullptr : found;
}

}  // namespace

MonitorSettings ReadMonitorSettings(IniStore& ini) {
  MonitorSettings s;
  for (const SettingKey& key : SETTING_KEYS) ReadKey(ini, key, s);
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
  for (const SettingKey& key : SETTING_KEYS) RepairKey(key, s);
}

std::vector<SettingKeyInfo> SettingKeyInfos() {
  std::vector<SettingKeyInfo> keys;
  for (const SettingKey& key : SETTING_KEYS) {
    const SettingKind kind = key.text == KeyText::Text     ? SettingKind::Text
                             : key.text == KeyText::Switch ? SettingKind::Switch
                                                           : SettingKind::Number;
    keys.push_back({key.name, kind, key.fallback, key.lowest, key.highest});
  }
  return keys;
}

SettingUse SetSettingValue(MonitorSettings& s, std::string_view name, const SettingValue& value) {
  const SettingKey* key = FindKey(name);
  if (!key) return SettingUse::WrongKind;
  if (key->text == KeyText::Text) {
    const auto* text = std::get_if<std::string>(&value);
    if (!text) return SettingUse::WrongKind;
    s.Language = *text;
    return SettingUse::Used;
  }
  const auto* number = std::get_if<std::int32_t>(&value);
  if (!number) return SettingUse::WrongKind;
  std::int32_t& field = s.*key->number;
  field = *number;
  if (key->text == KeyText::Switch && field != 0) field = field == 1 ? 1 : 0;  // only 1 is on
  RepairKey(*key, s);
  return field == *number ? SettingUse::Used : SettingUse::Repaired;
}

SettingValue GetSettingValue(const MonitorSettings& s, std::string_view name) {
  const SettingKey* key = FindKey(name);
  if (key && key->number) return s.*key->number;
  return s.Language;
}

bool WriteMonitorSettings(IniStore& ini, MonitorSettings& s) {
  bool written = true;
  for (int position = 0; position < static_cast<int>(std::size(SETTING_KEYS)); ++position) {
    const SettingKey& key = *std::ranges::find(SETTING_KEYS, position, &SettingKey::writePosition);
    written = WriteKey(ini, key, s) && written;
  }
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
