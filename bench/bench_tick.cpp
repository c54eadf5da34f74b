// One whole monitoring tick at T = 3600 (MAXTime 60, Interval 1) with 100
// registered patterns against 200 open windows, through in-memory doubles:
// the engine as built, against the algorithm written literally (list file
// read and every pattern matched against every title at every tick,
// recursive matcher, history kept in an array whose front is erased every
// tick). The engine again with the sound check on (Requests=1) and two
// silent outputs, whose meters it reads at every tick. And the engine's
// heap use after many ticks, which must not grow with their number.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "data/data_store.h"
#include "monitor/day_counter.h"
#include "text/text_field.h"
#include "monitor/exception_windows.h"
#include "monitor/idle_monitor.h"
#include "monitor/sound_playing.h"
#include "support/fake_data_services.h"
#include "support/recording_engine.h"
#include "support/reference_matcher.h"
#include "text/text_field.h"

// Every allocation of the program counted, so a benchmark can read the
// bytes in use. The size is kept in front of the block.
namespace {
std::atomic<std::int64_t> g_bytesInUse{0};
constexpr std::size_t HEADER = alignof(std::max_align_t);
}  // namespace

void* operator new(std::size_t size) {
  auto* block = static_cast<unsigned char*>(std::malloc(size + HEADER));
  if (!block) throw std::bad_alloc();
  std::memcpy(block, &size, sizeof size);
  g_bytesInUse += static_cast<std::int64_t>(size);
  return block + HEADER;
}
void operator delete(void* pointer) noexcept {
  if (!pointer) return;
  unsigned char* block = static_cast<unsigned char*>(pointer) - HEADER;
  std::size_t size;
  std::memcpy(&size, block, sizeof size);
  g_bytesInUse -= static_cast<std::int64_t>(size);
  std::free(block);
}
void operator delete(void* pointer, std::size_t) noexcept { operator delete(pointer); }

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
  fake.files.files[fake.paths.wndFile] = list;
  for (int i = 0; i < 200; ++i) {
    fake.windows.windows.push_back({"文書" + std::to_string(i) + ".txt - メモ帳 - ゲーム " + std::to_string(i % 9)});
  }
}

// Everything but the exception test is a quiet double that records nothing.
class QuietWorld : public EngineRecorder {
 public:
  explicit QuietWorld(ExceptionWindowTest& exceptions) : m_exceptions(exceptions) {}
  std::optional<std::string> ExceptWindowTitle() override { return m_exceptions.ExceptWindowTitle(); }
  void SetTimer(unsigned, unsigned) override {}
  void KillTimer(unsigned) override {}
  double ReadCpuLoad() override { return 5.0; }
  std::int32_t ReadNetworkLoad() override { return 0; }
  std::int32_t ReadDiskLoad() override { return 0; }
  void ShowNormalIcon() override {}
  void UpdateMeters() override {}

 private:
  ExceptionWindowTest& m_exceptions;
};

// Two outputs, both silent, as on most ticks.
class SilentOutputs : public AudioOutputs {
 public:
  std::uint32_t Open() override { return 0; }
  bool Changed() override { return false; }
  std::optional<std::size_t> Enumerate() override { return 2; }
  std::optional<float> PeakValue(std::size_t) override { return 0.0f; }
};

// The day book's counting, against a book in memory: a second passes at
// every tick, so its hourly write happens in the run too.
struct CountedDays : MonotonicClock, DayBookStore {
  std::uint64_t ms = 0;
  DayBook book;
  FakeClock clock;
  DayCounter counter{clock, *this, *this, [] { return true; }};
  std::uint64_t Milliseconds() override { return ms += 1000; }
  DayBook Read() override { return book; }
  bool Update(const std::function<void(DayBook&)>& merge) override {
    merge(book);
    return true;
  }
};

// The engine at T = 3600 in a world of 100 patterns and 200 windows.
struct Engine {
  FakeDataServices fake;
  CDataStore store{fake.files, fake.notifier, fake.clock, fake.paths};
  ExceptionWindowDetector detector{store, fake.files, fake.paths.wndFile, fake.windows, fake.log};
  QuietWorld world{detector};
  MonitorSettings settings;
  SilentOutputs outputs;
  SoundPlaying sound{outputs, settings, world};
  IdleMonitor monitor;

  CountedDays days;

  explicit Engine(bool withSound = false, bool withDays = false) : monitor(settings, Services(withSound, withDays)) {
    FillWorld(fake);
    FakeIniStore ini;
    ini.values = {{"MAXTime", 60}, {"Interval", 1}};
    settings = ReadMonitorSettings(ini);
    settings.Requests = withSound ? 1 : 0;
    monitor.RestartMonitor();
  }
  IdleMonitorServices Services(bool withSound, bool withDays) {
    IdleMonitorServices services = ServicesOf(world);
    if (withSound) services.sources = {&sound};
    if (withDays) services.tickObserver = &days.counter;
    return services;
  }
  void Tick() {
    monitor.OnInputActivity();  // never reach the target
    monitor.OnTimer(TIMER_MONITOR);
  }
};

void BM_Tick_Engine(benchmark::State& state) {
  Engine engine;
  for (auto _ : state) engine.Tick();
}
BENCHMARK(BM_Tick_Engine);

void BM_Tick_EngineWithSound(benchmark::State& state) {
  Engine engine(true);
  for (auto _ : state) engine.Tick();
}
BENCHMARK(BM_Tick_EngineWithSound);

// Against BM_Tick_Engine of the same run: the counting may add 5 %.
void BM_Tick_EngineWithDayBook(benchmark::State& state) {
  Engine engine(false, true);
  for (auto _ : state) engine.Tick();
}
BENCHMARK(BM_Tick_EngineWithDayBook);

// The literal tick: the same file reading and enumeration, then the steps
// as they read, with the recursive matcher and a front-erased array.
void BM_Tick_Literal(benchmark::State& state) {
  FakeDataServices fake;
  CDataStore store(fake.files, fake.notifier, fake.clock, fake.paths);
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
      EnumTopWindows(fake.windows, windows);
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

// Bytes the engine holds after the given number of ticks: the history
// (T + 1 samples), the patterns and the titles known not to match.
void BM_Tick_EngineHeapAfterTicks(benchmark::State& state) {
  for (auto _ : state) {
    const std::int64_t before = g_bytesInUse;
    auto engine = std::make_unique<Engine>();
    for (std::int64_t i = 0; i < state.range(0); ++i) engine->Tick();
    state.counters["heap_bytes"] = static_cast<double>(g_bytesInUse - before);
  }
}
BENCHMARK(BM_Tick_EngineHeapAfterTicks)->ArgName("ticks")->Arg(1)->Arg(3600)->Arg(7200)->Iterations(1);

}  // namespace
}  // namespace sopora

BENCHMARK_MAIN();
