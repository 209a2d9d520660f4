// A version-3 safe of 100,000 entries as a user who moved in from another
// manager has them (web address, two lines of notes, tags): the log-in after
// the key derivation (authenticate, decrypt, read the records) and a save
// (write the records, encrypt), each next to the bare XChaCha20-Poly1305
// pass over the same bytes, and the heap the open list holds per byte of
// its plaintext (memory_per_plaintext_byte).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sodium.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_entries.h"
#include "bench/bench_folder.h"
#include "bench/ratio_reporter.h"
#include "safe/entry_records.h"
#include "safe/safe_store.h"
#include "safe/strong_record.h"

namespace {

constexpr int kEntries = 100000;

EntryList MakeList() { return MakeBenchEntries(kEntries); }

// Heap in use, chunks of the main arena and blocks mapped apart alike.
size_t HeapInUse() {
  struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

struct SealedSafe {
  WipingBytes text;
  std::vector<uint8_t> record;
  uint8_t key[kStrongKeySize] = {};
};

const SealedSafe& Sealed() {
  static SealedSafe sealed = [] {
    SealedSafe made;
    if (sodium_init() < 0) std::abort();
    EncodeEntryList(MakeList(), made.text);
    randombytes_buf(made.key, sizeof made.key);
    StrongSafeHeader header;
    header.params = kDefaultStrongSafeParams;
    made.record.resize(kStrongHeaderSize + made.text.size() + kStrongTagSize);
    SealStrongRecord(made.key, header, made.text.data(), made.text.size(), made.record.data());
    return made;
  }();
  return sealed;
}

// Each opening works on a fresh copy of the file's bytes, as read from disk.
void OpenPass(benchmark::State& state, bool readRecords) {
  const SealedSafe& sealed = Sealed();
  std::vector<uint8_t> work(sealed.record.size());
  size_t heldBytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(sealed.record.begin(), sealed.record.end(), work.begin());
    // Freeing the list is not part of a log-in.
    auto list = std::make_unique<EntryList>();
    size_t before = HeapInUse();
    state.ResumeTiming();
    size_t length = 0;
    if (!OpenStrongRecord(sealed.key, work.data(), work.size(), length)) state.SkipWithError("open failed");
    if (readRecords && !DecodeEntryList(work.data() + kStrongHeaderSize, length, *list)) {
      state.SkipWithError("records refused");
    }
    state.PauseTiming();
    heldBytes = HeapInUse() - before;
    list.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sealed.text.size()));
  if (readRecords) {
    state.counters["memory_per_plaintext_byte"] = static_cast<double>(heldBytes) / sealed.text.size();
  }
}

void BM_LogInRecords(benchmark::State& state) { OpenPass(state, true); }

// The whole log-in after the key derivation, as the window does it: the
// file read, checked, decrypted and its records read into the list.
void BM_LogInFromFile(benchmark::State& state) {
  BenchFolder folder;
  HeldSafeKey key;
  if (!DeriveNewSafeKey("bench only", SafeFormat::kStrong, {1, 8}, key) || !SaveSafe("bench", key, MakeList())) {
    state.SkipWithError("save failed");
  }
  for (auto _ : state) {
    state.PauseTiming();
    auto list = std::make_unique<EntryList>();
    state.ResumeTiming();
    if (!LoadSafe("bench", key, *list)) state.SkipWithError("load failed");
    state.PauseTiming();
    list.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Sealed().text.size()));
}
void BM_DecryptPass(benchmark::State& state) { OpenPass(state, false); }

void SealPass(benchmark::State& state, bool writeRecords) {
  const SealedSafe& sealed = Sealed();
  EntryList list;
  if (writeRecords) DecodeEntryList(sealed.text.data(), sealed.text.size(), list);
  std::vector<uint8_t> record(sealed.record.size());
  StrongSafeHeader header;
  header.params = kDefaultStrongSafeParams;
  for (auto _ : state) {
    if (writeRecords) {
      WipingBytes text;
      EncodeEntryList(list, text);
      SealStrongRecord(sealed.key, header, text.data(), text.size(), record.data());
    } else {
      SealStrongRecord(sealed.key, header, sealed.text.data(), sealed.text.size(), record.data());
    }
    benchmark::DoNotOptimize(record.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sealed.text.size()));
}

void BM_SaveRecords(benchmark::State& state) { SealPass(state, true); }
void BM_EncryptPass(benchmark::State& state) { SealPass(state, false); }

BENCHMARK(BM_LogInRecords)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LogInFromFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DecryptPass)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SaveRecords)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EncryptPass)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  // The heap stays mapped between runs, so that each run measures the work
  // of a log-in rather than how fast this machine's kernel hands out fresh
  // pages (several times slower under some hypervisors than on bare metal).
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("bytes_per_second");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("Time of one XChaCha20-Poly1305 pass over the same bytes / time of:\n");
  reporter.PrintRatio("  log-in of 100,000 entries (no key derivation)", "BM_DecryptPass/real_time",
                      "BM_LogInRecords/real_time");
  reporter.PrintRatio("  the same from the file, as the window does it", "BM_DecryptPass/real_time",
                      "BM_LogInFromFile/real_time");
  reporter.PrintRatio("  save of 100,000 entries", "BM_EncryptPass/real_time", "BM_SaveRecords/real_time");
  benchmark::Shutdown();
  return 0;
}
