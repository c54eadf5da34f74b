// Settings set by policy: which value wins, how it is repaired and logged,
// what a save keeps, and the administrative templates made from the tables.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "data/policy.h"
#include "dialogs/settings_logic.h"
#include "policy/policy_templates.h"
#include "support/fake_data_services.h"

namespace sopora {
namespace {

using Values = std::map<std::string, SettingValue>;

class FakePolicySource : public PolicySource {
 public:
  Values machine, user;
  std::optional<SettingValue> ReadValue(PolicyScope scope, const char* name) override {
    const Values& values = scope == PolicyScope::Machine ? machine : user;
    const auto found = values.find(name);
    return found == values.end() ? std::nullopt : std::optional(found->second);
  }
};

TEST(PolicyTest, ValuesInEffect) {
  struct Case {
    Values machine, user;
    std::vector<std::string> managed;
    std::int32_t interval, cpuBorder, requests;
    std::string language;
    bool allowPause, allowExit;
    std::vector<MessageId> logged;
  };
  const Case cases[] = {
      {{}, {}, {}, 4, 30, 1, "en", true, true, {}},  // no policy: the user's own
      {{{"Interval", 7}},
       {{"Interval", 9}, {"CPUBorder", 50}},
       {"CPUBorder", "Interval"},
       7,
       50,
       1,
       "en",
       true,
       true,
       {}},
      {{}, {{"Language", std::string("ja")}, {"AllowPause", 0}}, {"Language"}, 4, 30, 1, "ja", false, true, {}},
      // Repaired as Sopora.ini's values are: above the limit cut, below it the
      // default.
      {{{"Interval", 5000}, {"CPUBorder", 0}},
       {},
       {"CPUBorder", "Interval"},
       INTERVAL_LIMIT_SECONDS,
       20,
       1,
       "en",
       true,
       true,
       {IDS_LOG_POLICY_REPAIRED, IDS_LOG_POLICY_REPAIRED}},
      {{{"Requests", 2}}, {}, {"Requests"}, 4, 30, 0, "en", true, true, {IDS_LOG_POLICY_REPAIRED}},
      // A value of the wrong type sets nothing.
      {{{"Interval", std::string("5")}, {"Language", 1}, {"AllowExit", std::string("0")}},
       {},
       {},
       4,
       30,
       1,
       "en",
       true,
       true,
       {IDS_LOG_POLICY_WRONG_TYPE, IDS_LOG_POLICY_WRONG_TYPE, IDS_LOG_POLICY_WRONG_TYPE}},
      {{{"AllowExit", 0}, {"AllowPause", 1}}, {{"AllowPause", 0}}, {}, 4, 30, 1, "en", true, false, {}},
  };
  MonitorSettings user;
  user.Interval = 4, user.CPUBorder = 30, user.Requests = 1, user.Language = "en";
  for (const Case& c : cases) {
    FakePolicySource source;
    source.machine = c.machine, source.user = c.user;
    RecordingLog log;
    const Policy policy = PolicyReader(source, log).Read();
    const MonitorSettings effective = ApplyPolicy(user, policy);
    std::vector<std::string> managed = policy.managedKeys;
    std::ranges::sort(managed);
    EXPECT_EQ(managed, c.managed);
    EXPECT_EQ(effective.Interval, c.interval);
    EXPECT_EQ(effective.CPUBorder, c.cpuBorder);
    EXPECT_EQ(effective.Requests, c.requests);
    EXPECT_EQ(effective.Language, c.language);
    EXPECT_EQ(policy.allowPause, c.allowPause);
    EXPECT_EQ(policy.allowExit, c.allowExit);
    std::vector<MessageId> logged;
    for (const auto& [kind, id] : log.lines) logged.push_back(id);
    EXPECT_EQ(logged, c.logged);
  }
}

// Read at every change notification, a wrong value is logged once, and
// again only once it has changed or come back.
TEST(PolicyTest, UnusableValueLoggedOncePerValue) {
  FakePolicySource source;
  RecordingLog log;
  PolicyReader reader(source, log);
  const std::pair<std::int32_t, std::size_t> steps[] = {{0, 1}, {0, 1}, {-5, 2}, {-5, 2}, {3, 2}, {-5, 3}};
  for (const auto& [interval, linesSoFar] : steps) {
    source.machine["Interval"] = interval;
    reader.Read();
    EXPECT_EQ(log.lines.size(), linesSoFar) << interval;
  }
}

// A save stores the user's own value of a key a policy sets, which returns
// once the policy goes.
TEST(PolicyTest, SaveKeepsTheUsersOwnValue) {
  FakePolicySource source;
  RecordingLog log;
  source.machine["MAXTime"] = 30;
  const Policy policy = PolicyReader(source, log).Read();
  MonitorSettings user;
  user.MAXTime = 10, user.Interval = 2;
  MonitorSettings edited = ApplyPolicy(user, policy);
  edited.Interval = 8;  // what the dialog changed
  KeepUserValues(edited, policy, user);
  EXPECT_EQ(user.MAXTime, 10);
  EXPECT_EQ(user.Interval, 8);
}

std::string ReadFile(const std::string& relativePath) {
  std::ifstream in(std::string(SOPORA_SOURCE_DIR) + "/" + relativePath, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The checked-in templates are what the tables make today; rebuild them with
// make_policy_templates when this fails.
TEST(PolicyTemplatesTest, CheckedInTemplatesAreCurrent) {
  const PolicyTemplates made = MakePolicyTemplates();
  EXPECT_EQ(ReadFile("policy/Sopora.admx"), made.admx);
  EXPECT_EQ(ReadFile("policy/en-US/Sopora.adml"), made.englishAdml);
  EXPECT_EQ(ReadFile("policy/ja-JP/Sopora.adml"), made.japaneseAdml);
}

TEST(PolicyTemplatesTest, ValueNamesAndRangesAreTheProgramsOwn) {
  const std::string admx = ReadFile("policy/Sopora.admx");
  const std::vector<std::string> read = PolicyValueNames();
  std::set<std::string> offered;
  static const std::regex VALUE_NAME(R"re(valueName="(\w+)")re");
  for (std::sregex_iterator it(admx.begin(), admx.end(), VALUE_NAME), end; it != end; ++it) {
    EXPECT_TRUE(std::ranges::find(read, (*it)[1].str()) != read.end()) << (*it)[1];
    offered.insert((*it)[1]);
  }
  EXPECT_EQ(offered.size(), read.size());  // every one Sopora reads is offered
  for (const DialogField& field : DIALOG_FIELDS) {
    if (field.kind != DialogFieldKind::Spin) continue;
    const std::regex range("valueName=\"" + std::string(field.key) + "\" required=\"true\" minValue=\"" +
                           std::to_string(field.lowest) + "\" maxValue=\"" + std::to_string(field.highest) + "\"");
    EXPECT_TRUE(std::regex_search(admx, range)) << field.key;
  }
}

}  // namespace
}  // namespace sopora
