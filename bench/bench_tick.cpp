// One whole monitoring tick at T = 3600 (MAXTime 60, Interval 1) with 100
// registered patterns against 200 open windows, through in-memory doubles:
// the engine as built, against the algorithm written literally (recursive
// matcher, history kept in an array whose front is erased every tick).
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/data_store.h"
#include "data/text_field.h"
#include "monitor/idle_monitor.h"
#include "support/fake_data_services.h"
#include "support/recording_engine.h"
#include "support/reference_matcher.h"

namespace sopora {
namespace {

// None of the patterns matches, so every pair is tried, as on most ticks.
void FillWorld(FakeDataServices& fake) {
  Bytes list{DATA_FILE_VERSION};
  for (int i = 0; i < 100; ++i) {
    ExceptWndEntry e;
    std::memset(&e, 0, sizeof e);
    CopyTextToField(e.title, "*ゲーム " + std::to_string(i) + "*全画面*");
    const auto* raw = reinterpret_cast<const std::uint8_t*>(&e);
    list.insert(list.end(), raw, raw + sizeof e);
  }
  fake.files.files[g_strWndFile] = list;
  for (int i = 0; i < 200; ++i) {
    fake.windows.windows.push_back({"文書" + std::to_string(i) + ".txt - メモ帳 - ゲーム " + std::to_string(i % 9)});
  }
}

// Everything but the exception test is a quiet double.
class QuietWorld : public EngineRecorder {
 public:
  explicit QuietWorld(CDataStore& store) : m_store(store) {}
  bool IsExceptWindowPresent() override { return m_store.IsExceptWindowPresent(); }
  void SetTimer(unsigned, unsigned) override {}
  void KillTimer(unsigned) override {}
  double ReadCpuLoad() override { return 5.0; }
  std::int32_t ReadNetworkLoad() override { return 0; }
  std::int32_t ReadDiskLoad() override { return 0; }
  void ShowNormalIcon() override {}
  void UpdateMeters() override {}

 private:
  CDataStore& m_store;
};

void BM_Tick_Engine(benchmark::State& state) {
  FakeDataServices fake;
  CDataStore store(fake.services);
  FillWorld(fake);
  QuietWorld world(store);
  IdleMonitor monitor(ServicesOf(world));
  FakeIniStore ini;
  ini.values = {{"MAXTime", 60}, {"Interval", 1}};
  monitor.LoadSettings(ini);
  monitor.RestartMonitor();
  for (auto _ : state) {
    monitor.OnInputActivity();  // never reach the target
    monitor.OnTimer(TIMER_MONITOR);
  }
}
BENCHMARK(BM_Tick_Engine);

// The literal tick: the same file reading and enumeration, then the steps
// as they read, with the recursive matcher and a front-erased array.
void BM_Tick_Literal(benchmark::State& state) {
  FakeDataServices fake;
  CDataStore store(fake.services);
  FillWorld(fake);
  const std::int32_t target = 60 * 60 / 1;
  std::vector<std::int32_t> history(target, 0);
  std::int32_t lowLoadCount = 0;
  for (auto _ : state) {
    const std::int32_t cpu = 5;
    if (history.size() > static_cast<std::size_t>(target)) history.erase(history.begin());
    history.push_back(cpu);
    std::vector<ExceptWndEntry> patterns;
    store.LoadExceptWnd(patterns);
    bool present = false;
    if (!patterns.empty()) {
      std::vector<ExceptWndEntry> windows;
      store.EnumTopWindows(windows);
      for (const ExceptWndEntry& p : patterns) {
        for (const ExceptWndEntry& w : windows) {
          if (ReferenceMatchWildcard(p.title, w.title)) {
            present = true;
            break;
          }
        }
        if (present) break;
      }
    }
    lowLoadCount = present ? 0 : lowLoadCount + 1;
    benchmark::DoNotOptimize(lowLoadCount);
    lowLoadCount = 0;
  }
}
BENCHMARK(BM_Tick_Literal);

}  // namespace
}  // namespace sopora

BENCHMARK_MAIN();
