#include "data/policy.h"

#include <algorithm>

namespace sopora {

namespace {
std::string Describe(const SettingValue& value) {
  const auto* number = std::get_if<std::int32_t>(&value);
  return number ? std::to_string(*number) : std::get<std::string>(value);
}
}  // namespace

bool Policy::Manages(std::string_view key) const { return std::ranges::find(managedKeys, key) != managedKeys.end(); }

std::vector<std::string> PolicyValueNames() {
  std::vector<std::string> names;
  for (const SettingKeyInfo& key : SettingKeyInfos()) names.emplace_back(key.name);
  names.emplace_back(ALLOW_PAUSE_VALUE);
  names.emplace_back(ALLOW_EXIT_VALUE);
  return names;
}

// The machine's value wins: an organisation sets it for every user.
std::optional<SettingValue> PolicyReader::ReadValue(const char* name) {
  std::optional<SettingValue> value = m_source.ReadValue(PolicyScope::Machine, name);
  return value ? value : m_source.ReadValue(PolicyScope::User, name);
}

void PolicyReader::Report(const char* name, const SettingValue& given, const Message& message) {
  const auto reported = m_reported.find(name);
  if (reported != m_reported.end() && reported->second == given) return;
  m_reported[name] = given;
  m_log.AddLog(LOG_WARNING, message);
}

Policy PolicyReader::Read() {
  Policy policy;
  std::map<std::string, SettingValue> stillUnusable;
  const auto unusable = [&](const char* name, const SettingValue& given, const Message& message) {
    Report(name, given, message);
    stillUnusable[name] = given;
  };
  for (const SettingKeyInfo& key : SettingKeyInfos()) {
    const std::optional<SettingValue> given = ReadValue(key.name);
    if (!given) continue;
    const SettingUse use = SetSettingValue(policy.values, key.name, *given);
    if (use == SettingUse::WrongKind) {
      unusable(key.name, *given, {IDS_LOG_POLICY_WRONG_TYPE, {key.name}});
      continue;
    }
    policy.managedKeys.emplace_back(key.name);
    if (use == SettingUse::Repaired) {
      const std::string used = Describe(GetSettingValue(policy.values, key.name));
      unusable(key.name, *given, {IDS_LOG_POLICY_REPAIRED, {key.name, Describe(*given), used}});
    }
  }
  for (const auto& [name, allowed] :
       {std::pair{ALLOW_PAUSE_VALUE, &policy.allowPause}, std::pair{ALLOW_EXIT_VALUE, &policy.allowExit}}) {
    const std::optional<SettingValue> given = ReadValue(name);
    if (!given) continue;
    const auto* number = std::get_if<std::int32_t>(&*given);
    if (!number) unusable(name, *given, {IDS_LOG_POLICY_WRONG_TYPE, {name}});
    *allowed = !number || *number != 0;
  }
  // A value mended since is logged again should it go wrong again.
  std::erase_if(m_reported, [&](const auto& entry) { return !stillUnusable.contains(entry.first); });
  return policy;
}

MonitorSettings ApplyPolicy(const MonitorSettings& user, const Policy& policy) {
  MonitorSettings effective = user;
  for (const std::string& key : policy.managedKeys)
    SetSettingValue(effective, key, GetSettingValue(policy.values, key));
  return effective;
}

void KeepUserValues(const MonitorSettings& edited, const Policy& policy, MonitorSettings& user) {
  for (const SettingKeyInfo& key : SettingKeyInfos()) {
    if (!policy.Manages(key.name)) SetSettingValue(user, key.name, GetSettingValue(edited, key.name));
  }
}

}  // namespace sopora
