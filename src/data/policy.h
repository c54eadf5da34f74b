// Settings an organisation sets for its machines through Group Policy (or
// anything that writes the same registry values): values under
// SOFTWARE\Policies\Sopora, the machine's before the user's, named as the
// keys of Sopora.ini. They are used instead of the user's own values but
// never stored in Sopora.ini, so the user's values return when a policy goes.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/monitor_settings.h"
#include "data/operation_log.h"

namespace sopora {

enum class PolicyScope { Machine, User };

// The one value named so under the scope's policy key.
class PolicySource {
 public:
  virtual ~PolicySource() = default;
  // None when it is not set; a value of a type Sopora reads neither as a
  // number nor as text comes as an empty text, so that it is reported.
  virtual std::optional<SettingValue> ReadValue(PolicyScope scope, const char* name) = 0;
};

// Two switches only a policy holds: whether the user may pause Sopora and
// end it from the tray (0 forbids).
inline constexpr const char* ALLOW_PAUSE_VALUE = "AllowPause";
inline constexpr const char* ALLOW_EXIT_VALUE = "AllowExit";

struct Policy {
  std::vector<std::string> managedKeys;  // the keys of Sopora.ini a policy sets
  MonitorSettings values;                // their values, repaired; the rest unused
  bool allowPause = true;
  bool allowExit = true;

  bool Manages(std::string_view key) const;
  bool operator==(const Policy&) const = default;
};

// Every value name Sopora reads under the policy keys.
std::vector<std::string> PolicyValueNames();

// Reads the policy afresh each time it may have changed. A value that has
// to be repaired is logged once, and again only when it changes, however
// often the policy is read.
class PolicyReader {
 public:
  PolicyReader(PolicySource& source, OperationLog& log) : m_source(source), m_log(log) {}
  Policy Read();

 private:
  std::optional<SettingValue> ReadValue(const char* name);
  void Report(const char* name, const SettingValue& given, const Message& message);

  PolicySource& m_source;
  OperationLog& m_log;
  std::map<std::string, SettingValue> m_reported;  // the unusable values last logged, by name
};

// The settings in effect: the user's own, with the policy's values in place
// of theirs.
MonitorSettings ApplyPolicy(const MonitorSettings& user, const Policy& policy);

// Takes what the user changed of the keys the policy leaves to them into
// their own settings, the ones Sopora.ini keeps.
void KeepUserValues(const MonitorSettings& edited, const Policy& policy, MonitorSettings& user);

}  // namespace sopora
