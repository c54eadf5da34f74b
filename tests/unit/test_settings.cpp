// Reading, repairing and writing the ten settings.
#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "data/monitor_settings.h"
#include "support/default_settings.h"
#include "support/fake_data_services.h"

namespace sopora {
namespace {

using Values = std::map<std::string, std::int32_t>;

std::string Describe(const MonitorSettings& s) {
  return "CPU=" + std::to_string(s.CPUBorder) + " NET=" + std::to_string(s.NETBorder) +
         " DISK=" + std::to_string(s.DISKBorder) + " MAX=" + std::to_string(s.MAXTime) +
         " INT=" + std::to_string(s.Interval) + " M=" + std::to_string(s.Method) +
         " RR=" + std::to_string(s.ResumeReboot) + " R=" + std::to_string(s.Retry) +
         " N=" + std::to_string(s.Network) + " D=" + std::to_string(s.Disk);
}

TEST(SettingsTest, KeysAreReadInTheirFixedOrder) {
  FakeIniStore ini;
  ReadMonitorSettings(ini);
  EXPECT_EQ(ini.reads, (std::vector<std::string>{"CPUBorder", "NETBorder", "DISKBorder", "MAXTime", "Interval",
                                                 "Method", "ResumeReboot", "Retry", "Network", "Disk", "Requests",
                                                 "Warn", "Language", "EventLog", "Watts"}));
}

TEST(SettingsTest, RepairTable) {
  struct Case {
    Values stored;
    void (*expect)(MonitorSettings&);
  };
  const Case cases[] = {
      {{}, [](MonitorSettings&) {}},  // no file: every default
      {{{"NETBorder", 999}}, [](MonitorSettings& s) { s.NETBorder = 999; }},
      {{{"NETBorder", 1000}}, [](MonitorSettings&) {}},
      {{{"NETBorder", -3}}, [](MonitorSettings&) {}},
      {{{"NETBorder", 1}}, [](MonitorSettings& s) { s.NETBorder = 1; }},
      {{{"DISKBorder", 0}}, [](MonitorSettings&) {}},
      {{{"DISKBorder", 999}}, [](MonitorSettings& s) { s.DISKBorder = 999; }},
      {{{"DISKBorder", 5000}}, [](MonitorSettings&) {}},
      {{{"CPUBorder", 100}}, [](MonitorSettings& s) { s.CPUBorder = 100; }},
      {{{"CPUBorder", 150}}, [](MonitorSettings& s) { s.CPUBorder = 150; }},
      {{{"CPUBorder", 0}}, [](MonitorSettings&) {}},
      {{{"CPUBorder", -1}}, [](MonitorSettings&) {}},
      {{{"MAXTime", 90}, {"Interval", 30}}, [](MonitorSettings& s) { s.MAXTime = 90; s.Interval = 30; }},
      {{{"MAXTime", 0}, {"Interval", 0}}, [](MonitorSettings&) {}},
      // Negative values would give a negative timer period and target.
      {{{"MAXTime", -10}, {"Interval", -1}}, [](MonitorSettings&) {}},
      {{{"MAXTime", INT32_MIN}, {"Interval", INT32_MIN}}, [](MonitorSettings&) {}},
      // Values whose products (Interval x 1000, MAXTime x 60) would overflow.
      {{{"MAXTime", INT32_MAX}, {"Interval", INT32_MAX}},
       [](MonitorSettings& s) { s.MAXTime = MAX_TIME_LIMIT_MINUTES; s.Interval = INTERVAL_LIMIT_SECONDS; }},
      {{{"MAXTime", 1441}, {"Interval", 3601}}, [](MonitorSettings& s) { s.MAXTime = 1440; s.Interval = 3600; }},
      {{{"MAXTime", 1440}, {"Interval", 3600}}, [](MonitorSettings& s) { s.MAXTime = 1440; s.Interval = 3600; }},
      // Switches and the method are used as read.
      {{{"Method", 7}, {"ResumeReboot", 1}, {"Retry", 2}, {"Network", -1}, {"Disk", 1}},
       [](MonitorSettings& s) { s.Method = 7; s.ResumeReboot = 1; s.Retry = 2; s.Network = -1; s.Disk = 1; }},
  };
  for (const Case& c : cases) {
    FakeIniStore ini;
    ini.values = c.stored;
    MonitorSettings expected = DefaultSettings();
    c.expect(expected);
    const MonitorSettings loaded = ReadMonitorSettings(ini);
    EXPECT_EQ(Describe(loaded), Describe(expected));
    EXPECT_TRUE(ini.writes.empty());  // loading never writes back
  }
}

TEST(SettingsTest, SaveWritesAllTenKeysDiskBeforeNetwork) {
  FakeIniStore ini;
  MonitorSettings s = DefaultSettings();
  s.Method = 2;
  s.Network = 1;
  s.CPUBorder = -4;
  WriteMonitorSettings(ini, s);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"CPUBorder", "-4"}, {"DISKBorder", "500"}, {"NETBorder", "300"}, {"MAXTime", "5"},
      {"Interval", "1"},   {"Method", "2"},       {"ResumeReboot", "0"}, {"Retry", "0"},
      {"Network", "1"},    {"Disk", "0"}};
  EXPECT_EQ(ini.writes, expected);
}

TEST(SettingsTest, AFailingWriteDoesNotStopTheRemainingKeys) {
  FakeIniStore ini;
  ini.failWrites = true;
  MonitorSettings s = DefaultSettings();
  WriteMonitorSettings(ini, s);
  EXPECT_EQ(ini.writes.size(), 10u);
}

// The later keys, after the ten: a Sopora.ini nobody touched stays as it
// was laid out, a key the file holds is written back in its place, and
// Requests is written from the moment the user turns it on.
TEST(SettingsTest, TheLaterKeysAreReadAsTextAndWrittenOnlyWhereTheyBelong) {
  using Writes = std::vector<std::pair<std::string, std::string>>;
  struct Case {
    const char* name;
    std::map<std::string, std::string> stored;
    std::int32_t requests, warn;  // as read
    std::optional<std::int32_t> turnRequestsTo;
    Writes later;  // the writes after the ten keys
  };
  const Case cases[] = {
      {"a file of ten keys", {}, 0, 60, std::nullopt, {}},
      {"Requests turned on", {}, 0, 60, 1, {{"Requests", "1"}}},
      {"Requests turned on and off again", {{"Requests", "1"}}, 1, 60, 0, {{"Requests", "0"}}},
      {"Requests 0 stays in the file", {{"Requests", "0"}}, 0, 60, std::nullopt, {{"Requests", "0"}}},
      {"Requests other than 1 is off", {{"Requests", "2"}}, 0, 60, std::nullopt, {{"Requests", "0"}}},
      {"Requests not a number", {{"Requests", "yes"}}, 0, 60, std::nullopt, {{"Requests", "0"}}},
      {"Warn as written", {{"Warn", "120"}}, 0, 120, std::nullopt, {{"Warn", "120"}}},
      {"Warn 0: no warning", {{"Warn", "0"}}, 0, 0, std::nullopt, {{"Warn", "0"}}},
      {"Warn negative", {{"Warn", "-5"}}, 0, 60, std::nullopt, {{"Warn", "60"}}},
      {"Warn not a number", {{"Warn", "1分"}}, 0, 60, std::nullopt, {{"Warn", "60"}}},
      {"Warn empty", {{"Warn", ""}}, 0, 60, std::nullopt, {{"Warn", "60"}}},
      {"Warn beyond a day", {{"Warn", "99999999999"}}, 0, 86400, std::nullopt, {{"Warn", "86400"}}},
      {"Language as written, even one Sopora does not speak", {{"Language", "fr"}}, 0, 60, std::nullopt,
       {{"Language", "fr"}}},
      {"EventLog other than 1 is off", {{"EventLog", "on"}}, 0, 60, std::nullopt, {{"EventLog", "0"}}},
      {"all four, in their order", {{"EventLog", "1"}, {"Language", "en"}, {"Warn", "30"}, {"Requests", "1"}}, 1, 30,
       std::nullopt, {{"Requests", "1"}, {"Warn", "30"}, {"Language", "en"}, {"EventLog", "1"}}},
      {"Watts as written", {{"Watts", "120"}}, 0, 60, std::nullopt, {{"Watts", "120"}}},
      {"Watts beyond 2000", {{"Watts", "5000"}}, 0, 60, std::nullopt, {{"Watts", "50"}}},
      {"Watts 0", {{"Watts", "0"}}, 0, 60, std::nullopt, {{"Watts", "50"}}},
      {"Watts with a unit", {{"Watts", "65W"}}, 0, 60, std::nullopt, {{"Watts", "50"}}},
  };
  for (const Case& c : cases) {
    FakeIniStore ini;
    ini.texts = c.stored;
    MonitorSettings s = ReadMonitorSettings(ini);
    EXPECT_EQ(s.Requests, c.requests) << c.name;
    EXPECT_EQ(s.Warn, c.warn) << c.name;
    if (c.turnRequestsTo) s.Requests = *c.turnRequestsTo;
    WriteMonitorSettings(ini, s);
    ASSERT_GE(ini.writes.size(), 10u) << c.name;
    EXPECT_EQ(Writes(ini.writes.begin() + 10, ini.writes.end()), c.later) << c.name;
  }
}

TEST(SettingsTest, WriteIniIntFormatsTheExtremes) {
  FakeIniStore ini;
  for (std::int32_t v : {0, -1, INT32_MAX, INT32_MIN}) WriteIniInt(ini, SETTINGS_SECTION, "K", v);
  EXPECT_EQ(ini.writes[0].second, "0");
  EXPECT_EQ(ini.writes[1].second, "-1");
  EXPECT_EQ(ini.writes[2].second, "2147483647");
  EXPECT_EQ(ini.writes[3].second, "-2147483648");
}

}  // namespace
}  // namespace sopora
