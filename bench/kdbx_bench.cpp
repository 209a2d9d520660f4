// The key derivation a KDBX file asks for, through the reader's own path,
// against libargon2's argon2_hash with the same parameters: KeePassXC's
// defaults of 64 MiB and parallelism 2, and a fixed 10 passes (KeePassXC
// picks the count that takes a second on the machine). The two
// take turns within one benchmark, so that load from other programs falls
// on both alike; the counter "ratio" is our total time over libargon2's.
#include <argon2.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "interchange/kdbx_key_derivation.h"
#include "ratio_reporter.h"

namespace {

constexpr uint32_t kMemoryKiB = 64 * 1024;
constexpr uint32_t kParallelism = 2;
constexpr uint32_t kPasses = 10;
const std::string kSalt(32, 's');
constexpr uint8_t kComposite[32] = {1, 2, 3, 4, 5, 6, 7, 8};

using Clock = std::chrono::steady_clock;

double Ours(const KdbxKdf& kdf, uint8_t key[32], benchmark::State& state) {
  std::string error;
  Clock::time_point start = Clock::now();
  if (!TransformKey(kdf, kComposite, key, &error)) state.SkipWithError(error.c_str());
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Libargon2(argon2_type type, uint8_t key[32], benchmark::State& state) {
  Clock::time_point start = Clock::now();
  int result = argon2_hash(kPasses, kMemoryKiB, kParallelism, kComposite, sizeof kComposite, kSalt.data(), kSalt.size(),
                           key, 32, nullptr, 0, type, ARGON2_VERSION_13);
  if (result != ARGON2_OK) state.SkipWithError(argon2_error_message(result));
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void Compare(benchmark::State& state, KdbxKdfKind kind, argon2_type type) {
  KdbxKdf kdf;
  kdf.kind = kind;
  kdf.seed = kSalt;
  kdf.rounds = kPasses;
  kdf.memory_bytes = uint64_t{kMemoryKiB} * 1024;
  kdf.parallelism = kParallelism;
  uint8_t ours[32], theirs[32];
  double ours_seconds = 0, theirs_seconds = 0;
  bool ours_first = true;
  for (auto _ : state) {
    if (ours_first) ours_seconds += Ours(kdf, ours, state);
    theirs_seconds += Libargon2(type, theirs, state);
    if (!ours_first) ours_seconds += Ours(kdf, ours, state);
    ours_first = !ours_first;
    if (std::string(ours, ours + 32) != std::string(theirs, theirs + 32)) state.SkipWithError("the keys differ");
  }
  state.counters["ours_ms"] = 1000 * ours_seconds / static_cast<double>(state.iterations());
  state.counters["libargon2_ms"] = 1000 * theirs_seconds / static_cast<double>(state.iterations());
  state.counters["ratio"] = ours_seconds / theirs_seconds;
}

void BM_Argon2d(benchmark::State& state) { Compare(state, KdbxKdfKind::kArgon2d, Argon2_d); }
void BM_Argon2id(benchmark::State& state) { Compare(state, KdbxKdfKind::kArgon2id, Argon2_id); }

BENCHMARK(BM_Argon2d)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);
BENCHMARK(BM_Argon2id)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(8);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter("ratio");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nTime ratios, the KDBX reader's / libargon2's, 64 MiB, parallelism 2, 10 passes (target <= 1.10):\n");
  for (const char* run : {"BM_Argon2d/iterations:8/real_time", "BM_Argon2id/iterations:8/real_time"}) {
    std::printf("%-44s ratio %5.2f\n", run, reporter.Rate(run));
  }
  benchmark::Shutdown();
  return 0;
}
