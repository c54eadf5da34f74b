// A pointer storm through one hooked program: 2,000 moves of 5 pixels in
// 8.5 seconds, each a message Sopora would have to wake for. The hook's
// decisions as built (dead zone and limiter), against today's rule of one
// post per move beyond the dead zone. The counter "posts" is what reaches
// Sopora per storm; the time is the hook's own cost per storm.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "hooklib/report_limiter.h"

namespace {

constexpr std::int32_t STORM_MOVES = 2000;
constexpr std::uint32_t STORM_MS = 8500;

// `makeHook` gives a fresh program's hook: a callable taking the pointer
// and the tick count, true when it posts.
template <typename MakeHook>
void RunStorm(benchmark::State& state, MakeHook makeHook) {
  std::int64_t posts = 0;
  for (auto _ : state) {
    auto hook = makeHook();
    posts = 0;
    for (std::int32_t move = 0; move < STORM_MOVES; ++move) {
      const std::uint32_t at = static_cast<std::uint32_t>(move) * STORM_MS / STORM_MOVES;
      posts += hook(sopora::ScreenPoint{move * 5, move & 1}, at) ? 1 : 0;
    }
    benchmark::DoNotOptimize(posts);
  }
  state.counters["posts"] = static_cast<double>(posts);
}

void BM_StormOnePostPerMove(benchmark::State& state) {
  RunStorm(state, [] {
    return [reference = sopora::ScreenPoint{0, 0}](sopora::ScreenPoint point, std::uint32_t) mutable {
      return sopora::ClassifyMouseMessage(0x200, point, reference) == sopora::MouseActivity::Move;
    };
  });
}
BENCHMARK(BM_StormOnePostPerMove);

void BM_StormLimited(benchmark::State& state) {
  RunStorm(state, [] {
    return [hook = sopora::HookReporter{}](sopora::ScreenPoint point, std::uint32_t at) mutable {
      return hook.OnMouse(0x200, point, at).has_value();
    };
  });
}
BENCHMARK(BM_StormLimited);

}  // namespace

BENCHMARK_MAIN();
