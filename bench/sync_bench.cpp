// What following an open safe on disk costs: the window's look once a
// second at an unchanged safe (a stat), the fingerprint of a changed one
// (reading and hashing the whole file) next to one bare OpenSSL MD5 pass over
// the same bytes, and a save that first finds a newer file and merges into it.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_folder.h"
#include "bench/ratio_reporter.h"
#include "platform/executable_path.h"
#include "safe/entry_merge.h"
#include "safe/safe_fingerprint.h"
#include "safe/safe_store.h"

namespace {

constexpr char kPassword[] = "correct horse battery staple";

void MakeEntries(EntryList& entries, int64_t first, int64_t count, int64_t fieldLength) {
  std::string filler(static_cast<size_t>(fieldLength), 'x');
  for (int64_t i = first; i < first + count; ++i) {
    std::string field = std::to_string(i) + filler;
    field.resize(static_cast<size_t>(fieldLength));
    Entry& entry = entries.entries.emplace_back();
    entry.title = field;
    entry.userName = field;
    entry.password = field;
  }
  AssignMissingIds(entries.entries);
}

int64_t SavedSafe(BenchFolder& folder, benchmark::State& state) {
  EntryList entries;
  MakeEntries(entries, 0, state.range(0), state.range(1));
  if (!SaveSafe("bench", kPassword, entries)) state.SkipWithError("save failed");
  return static_cast<int64_t>(std::filesystem::file_size(folder.SafePath()));
}

void BM_LookAtUnchangedSafe(benchmark::State& state) {
  BenchFolder folder;
  int64_t size = SavedSafe(folder, state);
  SafeFingerprint known;
  if (!TakeSafeFingerprint("bench", known)) state.SkipWithError("fingerprint failed");
  for (auto _ : state) {
    if (CompareSafeWithDisk("bench", known) != SafeDiskState::kSame) state.SkipWithError("not the same");
  }
  state.SetBytesProcessed(state.iterations() * size);
}

void BM_FingerprintSafe(benchmark::State& state) {
  BenchFolder folder;
  int64_t size = SavedSafe(folder, state);
  for (auto _ : state) {
    SafeFingerprint fingerprint;
    if (!TakeSafeFingerprint("bench", fingerprint)) state.SkipWithError("fingerprint failed");
    benchmark::DoNotOptimize(fingerprint.digest);
  }
  state.SetBytesProcessed(state.iterations() * size);
}

void BM_OpenSslMd5(benchmark::State& state) {
  BenchFolder folder;
  int64_t size = SavedSafe(folder, state);
  std::vector<unsigned char> bytes(static_cast<size_t>(size), 0x5a);
  unsigned char digest[EVP_MAX_MD_SIZE];
  for (auto _ : state) {
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(state.iterations() * size);
}

// Half of another side's entries are new to this one.
void BM_MergeConflictCopy(benchmark::State& state) {
  EntryList mine;
  EntryList theirs;
  MakeEntries(mine, 0, state.range(0), state.range(1));
  MakeEntries(theirs, state.range(0) / 2, state.range(0), state.range(1));
  for (auto _ : state) {
    state.PauseTiming();
    EntryList into = mine;
    state.ResumeTiming();
    benchmark::DoNotOptimize(AddMissingEntries(into, theirs, EntryMatch::kByFields));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}

const std::vector<std::vector<int64_t>> kSafes = {{1000, 16}, {100000, 16}, {110741, 200}};

void SafeArgs(benchmark::internal::Benchmark* benchmark) {
  for (const auto& safe : kSafes) benchmark->Args(safe);
  benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_LookAtUnchangedSafe)->Apply(SafeArgs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FingerprintSafe)->Apply(SafeArgs);
BENCHMARK(BM_OpenSslMd5)->Apply(SafeArgs);
BENCHMARK(BM_MergeConflictCopy)->Apply(SafeArgs);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("bytes_per_second");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("Ratios to one OpenSSL MD5 pass over the same bytes:\n");
  for (const auto& safe : kSafes) {
    char args[64];
    std::snprintf(args, sizeof args, "/%lld/%lld/real_time", static_cast<long long>(safe[0]),
                  static_cast<long long>(safe[1]));
    char label[96];
    std::snprintf(label, sizeof label, "fingerprint of a changed safe, %lld entries of %lld-char fields",
                  static_cast<long long>(safe[0]), static_cast<long long>(safe[1]));
    reporter.PrintRatio(label, std::string("BM_FingerprintSafe") + args, std::string("BM_OpenSslMd5") + args);
  }
  benchmark::Shutdown();
  return 0;
}
