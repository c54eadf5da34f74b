// Load sampling through the performance counters: set-up with its log
// lines and fallback, and the three reads.
#include <gtest/gtest.h>

#include "monitor/load_sampler.h"
#include "support/fake_counter_api.h"
#include "support/recording_engine.h"

namespace sopora {
namespace {

using Lines = std::vector<std::pair<int, std::string>>;

const std::pair<int, std::string> CPU_OK{0, "CPU負荷監視クエリー生成成功"};
const std::pair<int, std::string> CPU_1_FAILED{1, "第１方式：CPU負荷監視クエリー生成失敗(\\Processor(_Total)\\% Processor Time)"};
const std::pair<int, std::string> CPU_2_FAILED{2, "第２方式：CPU負荷監視クエリー生成失敗(\\Process(Idle)\\% Processor Time)"};
const std::pair<int, std::string> NET_OK{0, "ネットワーク送受量監視クエリー生成成功"};
const std::pair<int, std::string> NET_FAILED{1, "ネットワーク送受量監視クエリー生成失敗(\\TCP\\Segments/sec)"};
const std::pair<int, std::string> DISK_OK{0, "ディスク読書量監視クエリー生成成功"};
const std::pair<int, std::string> DISK_FAILED{1, "ディスク読書量監視クエリー生成失敗(\\LogicalDisk(_Total)\\Disk Bytes/sec)"};

class LoadSamplerTest : public ::testing::Test {
 protected:
  MonitorSettings settings;
  FakeCounterApi pdh;
  EngineRecorder log;
  LoadSampler sampler{settings, pdh, log};
};

TEST_F(LoadSamplerTest, CounterPathsAreBuiltFromTheirElements) {
  sampler.SetUpCounterQueries();
  ASSERT_EQ(pdh.madePaths.size(), 3u);
  const struct {
    const char* object;
    const char* instance;
    const char* counter;
  } expected[] = {{"Processor", "_Total", "% Processor Time"},
                  {"TCP", nullptr, "Segments/sec"},
                  {"LogicalDisk", "_Total", "Disk Bytes/sec"}};
  for (std::size_t i = 0; i < 3; ++i) {
    const CounterPathElements& e = pdh.madePaths[i];
    EXPECT_EQ(e.machineName, nullptr);
    EXPECT_STREQ(e.objectName, expected[i].object);
    if (expected[i].instance) {
      EXPECT_STREQ(e.instanceName, expected[i].instance);
    } else {
      EXPECT_EQ(e.instanceName, nullptr);
    }
    EXPECT_EQ(e.parentInstance, nullptr);
    EXPECT_EQ(e.instanceIndex, 0xFFFFFFFFu);
    EXPECT_STREQ(e.counterName, expected[i].counter);
  }
}

TEST_F(LoadSamplerTest, SetUpScenarios) {
  struct Case {
    const char* name;
    std::map<std::string, ScriptedCounter> script;
    bool cpuAvailable;
    std::int32_t byIdleProcess;
    Lines lines;
  };
  const Case cases[] = {
      {"all available", {}, true, 0, {CPU_OK, NET_OK, DISK_OK}},
      {"total fails at the path", {{"Processor", {.make = 1}}}, true, 1, {CPU_1_FAILED, CPU_OK, NET_OK, DISK_OK}},
      {"total fails at the query", {{"Processor", {.open = 5}}}, true, 1, {CPU_1_FAILED, CPU_OK, NET_OK, DISK_OK}},
      {"total fails at the counter", {{"Processor", {.add = 0xC0000BB8}}}, true, 1,
       {CPU_1_FAILED, CPU_OK, NET_OK, DISK_OK}},
      {"both processor methods fail", {{"Processor", {.add = 1}}, {"Process", {.add = 1}}}, false, 0,
       {CPU_1_FAILED, CPU_2_FAILED, NET_OK, DISK_OK}},
      {"network fails", {{"TCP", {.add = 1}}}, true, 0, {CPU_OK, NET_FAILED, DISK_OK}},
      {"disk fails", {{"LogicalDisk", {.make = 1}}}, true, 0, {CPU_OK, NET_OK, DISK_FAILED}},
  };
  for (const Case& c : cases) {
    FakeCounterApi counters;
    counters.script = c.script;
    EngineRecorder lines;
    LoadSampler s(settings, counters, lines);
    EXPECT_EQ(s.SetUpCounterQueries(), c.cpuAvailable) << c.name;
    EXPECT_EQ(s.m_bCpuByIdleProcess, c.byIdleProcess) << c.name;
    EXPECT_EQ(lines.logLines, c.lines) << c.name;
  }
}

TEST_F(LoadSamplerTest, TheIdleProcessIsNeverOpenedWhenTheTotalWorks) {
  sampler.SetUpCounterQueries();
  for (const std::string& call : pdh.calls) EXPECT_EQ(call.find("Process(Idle)"), std::string::npos) << call;
}

TEST_F(LoadSamplerTest, AQueryWithoutItsCounterIsClosedAndNeverCollected) {
  pdh.script["TCP"].add = 1;
  settings.Network = 1;
  sampler.SetUpCounterQueries();
  EXPECT_EQ(pdh.calls[5], "Add 2 \\TCP\\Segments/sec");
  EXPECT_EQ(pdh.calls[6], "Close 2");
  EXPECT_EQ(sampler.m_hNetQuery, 0u);
  pdh.calls.clear();
  EXPECT_EQ(sampler.ReadNetworkLoad(), -1);
  EXPECT_TRUE(pdh.calls.empty());
}

TEST_F(LoadSamplerTest, ReadingsAndTheirUnits) {
  struct Case {
    const char* name;
    bool idleMethod;
    double value;
    double cpu;
    std::int32_t network, disk;
  };
  const Case cases[] = {
      {"plain percentages", false, 42.5, 42.5, 42, 0},
      {"idle process 97.5 leaves 2.5 busy", true, 97.5, 2.5, 97, 0},
      {"disk 1999 bytes/s is 1", false, 1999, 1999, 1999, 1},
      {"disk 999 bytes/s is 0", false, 999, 999, 999, 0},
      {"disk -1999 truncates toward zero", false, -1999, -1999, -1999, -1},
  };
  for (const Case& c : cases) {
    FakeCounterApi counters;
    if (c.idleMethod) counters.script["Processor"].add = 1;
    for (const char* object : {"Processor", "Process", "TCP", "LogicalDisk"}) counters.script[object].value = c.value;
    MonitorSettings on;
    on.Network = on.Disk = 1;
    EngineRecorder lines;
    LoadSampler s(on, counters, lines);
    s.SetUpCounterQueries();
    EXPECT_DOUBLE_EQ(s.ReadCpuLoad(), c.cpu) << c.name;
    EXPECT_EQ(s.ReadNetworkLoad(), c.network) << c.name;
    EXPECT_EQ(s.ReadDiskLoad(), c.disk) << c.name;
  }
}

TEST_F(LoadSamplerTest, SwitchedOffLoadsReadZeroWithoutTouchingTheCounters) {
  pdh.script["TCP"].add = 1;  // even a counter that failed to open
  sampler.SetUpCounterQueries();
  pdh.calls.clear();
  EXPECT_EQ(sampler.ReadNetworkLoad(), 0);
  EXPECT_EQ(sampler.ReadDiskLoad(), 0);
  EXPECT_TRUE(pdh.calls.empty());
  settings.Disk = 1;  // read at every call
  EXPECT_EQ(sampler.ReadDiskLoad(), 0);
  EXPECT_EQ(pdh.calls.size(), 3u);
}

TEST_F(LoadSamplerTest, ThePreviousSampleMovesOnlyWhenTheCalculationRan) {
  sampler.SetUpCounterQueries();
  ScriptedCounter& cpu = pdh.script["Processor"];
  EXPECT_DOUBLE_EQ(sampler.ReadCpuLoad(), 0.0);  // serial 1 against the zero-filled record
  cpu.collect = 1;
  EXPECT_EQ(sampler.ReadCpuLoad(), -1.0);
  cpu.collect = 0;
  cpu.raw = 1;
  EXPECT_EQ(sampler.ReadCpuLoad(), -1.0);  // serial 2 taken but not used
  cpu.raw = 0;
  cpu.calculate = 0x800007D6;              // an error status is not looked at
  sampler.ReadCpuLoad();                   // serial 3
  sampler.ReadCpuLoad();                   // serial 4
  EXPECT_EQ(pdh.previousSeenByCalculation, (std::vector<std::int64_t>{0, 1, 3}));
  EXPECT_EQ(sampler.m_rawCpuPrev.FirstValue, 4);
}

}  // namespace
}  // namespace sopora
