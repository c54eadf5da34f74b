// Matching and log rewriting costs, each against a baseline measured in the
// same run: the recursive matcher of the definition, and a plain write of
// the bytes a full log rewrite produces.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "data/data_store.h"
#include "data/operation_log.h"
#include "monitor/exception_windows.h"
#include "support/fake_data_services.h"
#include "support/posix_file_system.h"
#include "support/reference_matcher.h"

namespace sopora {
namespace {

// Many stars against a long title that almost matches: the recursive
// matcher tries every way of splitting the title between the stars.
struct AdversarialPair {
  std::string pattern;
  std::string text;
};
AdversarialPair MakeAdversarial(int stars, std::size_t length) {
  AdversarialPair pair;
  for (int i = 0; i < stars; ++i) pair.pattern += "*a";
  pair.pattern += "*b";
  pair.text.assign(length, 'a');
  return pair;
}

void BM_MatchAdversarial_Recursive(benchmark::State& state) {
  const AdversarialPair pair = MakeAdversarial(static_cast<int>(state.range(0)), 40);
  for (auto _ : state) benchmark::DoNotOptimize(ReferenceMatchWildcard(pair.pattern.c_str(), pair.text.c_str()));
}
void BM_MatchAdversarial_LastStar(benchmark::State& state) {
  const AdversarialPair pair = MakeAdversarial(static_cast<int>(state.range(0)), 40);
  for (auto _ : state) benchmark::DoNotOptimize(MatchWildcard(pair.pattern, pair.text));
}
BENCHMARK(BM_MatchAdversarial_Recursive)->Arg(3)->Arg(5)->Arg(7);
BENCHMARK(BM_MatchAdversarial_LastStar)->Arg(3)->Arg(5)->Arg(7);

// One tick's worth: 100 registered patterns against 200 window titles,
// none matching (the common case, so every pair is tried).
struct TickCorpus {
  std::vector<std::string> patterns;
  std::vector<std::string> titles;
};
TickCorpus MakeTickCorpus() {
  TickCorpus corpus;
  for (int i = 0; i < 100; ++i) corpus.patterns.push_back("*アプリケーション " + std::to_string(i) + " - *編集中*");
  for (int i = 0; i < 200; ++i) {
    corpus.titles.push_back("文書" + std::to_string(i) + ".txt - メモ帳 - アプリケーション " + std::to_string(i % 7));
  }
  return corpus;
}

template <class Match>
void RunTickMatching(benchmark::State& state, Match match) {
  const TickCorpus corpus = MakeTickCorpus();
  for (auto _ : state) {
    bool any = false;
    for (const std::string& p : corpus.patterns)
      for (const std::string& t : corpus.titles) any |= match(p, t);
    benchmark::DoNotOptimize(any);
  }
}
void BM_TickMatching_Recursive(benchmark::State& state) {
  RunTickMatching(state, [](const std::string& p, const std::string& t) {
    return ReferenceMatchWildcard(p.c_str(), t.c_str());
  });
}
void BM_TickMatching_LastStar(benchmark::State& state) {
  RunTickMatching(state, [](const std::string& p, const std::string& t) { return MatchWildcard(p, t); });
}
BENCHMARK(BM_TickMatching_Recursive);
BENCHMARK(BM_TickMatching_LastStar);

// The log at its limit: every append rewrites 276,001 bytes.
std::filesystem::path BenchFolder() {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "sopora-bench/";
  std::filesystem::create_directories(folder);
  return folder;
}

// Arg 1: every append is preceded by another instance's line, so each one
// reads the file again and merges into it.
void BM_AppendLogAtLimit(benchmark::State& state) {
  const bool sync = state.range(0) != 0;
  const bool shared = state.range(1) != 0;
  PosixFileSystem files(sync);
  RecordingNotifier notifier;
  FakeClock clock;
  const DataFilePaths paths = DataFilePathsIn(BenchFolder(), BenchFolder());
  std::filesystem::remove(paths.logFile);
  CDataStore store(files, notifier, clock, paths);
  CDataStore other(files, notifier, clock, paths);
  store.LoadLog();
  other.LoadLog();
  const SystemTime now = {2026, 12, 2, 8, 12, 0, 0, 0};
  for (int i = 0; i < 1000; ++i) store.AppendLog(MakeLogRecord(0, "監視タイマー開始", now));
  for (auto _ : state) {
    if (shared) {
      state.PauseTiming();
      other.AppendLog(MakeLogRecord(0, "監視を一時的に停止しました", now));
      state.ResumeTiming();
    }
    store.AppendLog(MakeLogRecord(1, "監視を再開しました", now));
  }
  state.SetBytesProcessed(state.iterations() * 276001);
}
BENCHMARK(BM_AppendLogAtLimit)->ArgNames({"fsync", "shared"})->Args({0, 0})->Args({0, 1})->Args({1, 0});

void BM_PlainWriteOfTheSameBytes(benchmark::State& state) {
  const bool sync = state.range(0) != 0;
  const std::vector<char> bytes(276001, 'x');
  const std::string path = (BenchFolder() / "plain.dat").string();
  for (auto _ : state) {
    std::FILE* file = std::fopen(path.c_str(), "w+b");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fflush(file);
    if (sync) fsync(fileno(file));
    std::fclose(file);
  }
  state.SetBytesProcessed(state.iterations() * 276001);
}
BENCHMARK(BM_PlainWriteOfTheSameBytes)->ArgName("fsync")->Arg(0)->Arg(1);

}  // namespace
}  // namespace sopora

BENCHMARK_MAIN();
