// The user settings (fifteen keys), named after their keys in Sopora.ini.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <functional>
#include <memory>
#include <variant>
#include <vector>

#include "data/file_system.h"
#include "data/ini_store.h"
#include "text/messages.h"

namespace sopora {

// The section's name, misspelt as it is in every existing Sopora.ini.
inline constexpr const char* SETTINGS_SECTION = "PARAMATER";

// Limits applied to hand-edited values so that later arithmetic (the timer
// period Interval x 1000 ms, the target MAXTime x 60 / Interval and the
// history of that many samples) stays small and cannot overflow.
inline constexpr std::int32_t MAX_TIME_LIMIT_MINUTES = 1440;  // one day
inline constexpr std::int32_t INTERVAL_LIMIT_SECONDS = 3600;  // one hour

// What Method asks for. The file holds the integer, and any other value is
// kept as read (the power action then only beeps).
enum class PowerMethod : std::int32_t { Standby = 0, Hibernate = 1, Shutdown = 2 };

// The methods' names, in the order of the settings dialog's list; the index
// is Method.
inline constexpr MessageId METHOD_NAMES[] = {IDS_METHOD_STANDBY, IDS_METHOD_HIBERNATION, IDS_METHOD_SHUTDOWN};

// How long before the power action a tray notification warns the user,
// when Sopora.ini does not say (the key Warn, in seconds; 0: no warning).
inline constexpr std::int32_t DEFAULT_WARN_SECONDS = 60;

// EventLog where neither Sopora.ini nor a policy says: on only where the
// event source is registered.
inline constexpr std::int32_t EVENT_LOG_AUTOMATIC = -1;
// The machine's draw while awake, in watts, that the power saving history
// weighs Sopora's sleep against (the key Watts).
inline constexpr std::int32_t DEFAULT_AWAKE_WATTS = 50;
inline constexpr std::int32_t AWAKE_WATTS_LIMIT = 2000;

// The switches are integers as stored: only 1 switches Retry and
// ResumeReboot on, while Network and Disk count any value but 0.
//
// The last keys came later. A Sopora.ini a user never touched keeps the
// first ten keys only: those keys are written only where the file already
// has them (or, for Requests, once the user turns it on).
struct MonitorSettings {
  std::int32_t CPUBorder = 0;     // percent; a sample strictly below counts as low
  std::int32_t NETBorder = 0;     // network sample units (labelled KB/s)
  std::int32_t DISKBorder = 0;    // disk sample units (1000 bytes/s, labelled KB/s)
  std::int32_t MAXTime = 0;       // minutes of low load before the power action
  std::int32_t Interval = 0;      // seconds between ticks
  std::int32_t Method = 0;        // 0 standby, 1 hibernation, 2 shutdown
  std::int32_t ResumeReboot = 0;  // offer a restart after resume
  std::int32_t Retry = 0;         // restart monitoring before standby/hibernation
  std::int32_t Network = 0;       // measure network traffic
  std::int32_t Disk = 0;          // measure disk traffic
  std::int32_t Requests = 0;      // 1: other programs' keep-awake requests hold the count
  std::int32_t Warn = DEFAULT_WARN_SECONDS;  // seconds of warning before the action; 0 none
  std::string Language;  // "ja", "en"; anything else: the user's UI language
  std::int32_t EventLog = EVENT_LOG_AUTOMATIC;  // 1: operation-log lines go to the event log too
  std::int32_t Watts = DEFAULT_AWAKE_WATTS;  // awake draw, 1 to AWAKE_WATTS_LIMIT

  // Which of the later keys the file holds.
  bool hasRequests = false;
  bool hasWarn = false;
  bool hasLanguage = false;
  bool hasEventLog = false;
  bool hasWatts = false;  // also set once the user changes it

  bool operator==(const MonitorSettings&) const = default;
};

// A warning of more than a day would come at the start of every run.
inline constexpr std::int32_t WARN_LIMIT_SECONDS = 86400;

// The key Warn as written by hand: a number of seconds from 0 (no warning)
// to a day; anything that is not such a number is the default.
std::int32_t ParseWarnSeconds(std::string_view text);

// Reads the ten keys in the order the program always has, then the later
// ones, then repairs them.
MonitorSettings ReadMonitorSettings(IniStore& ini);

// Replaces missing or unusable values with the defaults.
void RepairMonitorSettings(MonitorSettings& settings);

// The setting Language as the file holds it ("" when it does not).
std::string ReadLanguageSetting(IniStore& ini);

// Writes all ten keys, then the later ones the file holds (or that were
// turned on); a new file is laid out in this order. False when a key could
// not be written; the others are written all the same.
bool WriteMonitorSettings(IniStore& ini, MonitorSettings& settings);

// How a key's value is given from outside Sopora.ini (by policy, or in the
// administrative templates): a number, or for a text key its text.
enum class SettingKind { Number, Switch, Text };
using SettingValue = std::variant<std::int32_t, std::string>;

struct SettingKeyInfo {
  const char* name;
  SettingKind kind;
  std::int32_t fallback;  // the value when the file has none
  // The values kept as given; the others are repaired.
  std::int32_t lowest;
  std::int32_t highest;
};

// Every key, in the order the file is read.
std::vector<SettingKeyInfo> SettingKeyInfos();

enum class SettingUse { Used, Repaired, WrongKind };

// Sets the key to a value from outside the file, repaired by the rules a
// value from the file goes by; a value of the wrong kind leaves it as it was.
SettingUse SetSettingValue(MonitorSettings& settings, std::string_view key, const SettingValue& value);

// The key's value, as SetSettingValue takes it.
SettingValue GetSettingValue(const MonitorSettings& settings, std::string_view key);

using OpenIniStore = std::function<std::unique_ptr<IniStore>(const DataPath& iniFile)>;

// Saves the settings as one whole: written onto a copy of Sopora.ini (its
// other sections and keys kept), which then replaces it, under the file's
// lock, so two saves never mix and a failed one leaves the file as it was.
// False when it could not be saved; the values stay in effect all the same.
bool SaveMonitorSettings(FileSystem& files, const DataPath& iniFile, const OpenIniStore& openIni,
                         MonitorSettings& settings);

}  // namespace sopora
