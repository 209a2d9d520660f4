// The key derivation a KDBX file asks for, through the reader's own path,
// against libargon2's argon2_hash with the same parameters: KeePassXC's
// defaults of 64 MiB and parallelism 2, and a fixed 10 passes (KeePassXC
// picks the count that takes a second on the machine). The two
// take turns within one benchmark, so that load from other programs falls
// on both alike; the counter "ratio" is our total time over libargon2's.
//
// And importing a 10,000-entry KDBX 4 file next to keepassxc-cli ls of the
// same file, each less the same on a one-entry file with the same (tiny)
// key derivation, so that what is left is the reading of the entries.
#include <argon2.h>
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "interchange/import_file.h"
#include "interchange/kdbx.h"
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

constexpr char kDatabasePassword[] = "bench-pw";

// Two databases written once in a folder of their own: 10,000 entries and one.
class Databases {
 public:
  Databases() {
    char pattern[] = "/tmp/quillbox-kdbx-bench-XXXXXX";
    folder_ = mkdtemp(pattern);
    for (int entries : {1, 10000}) Write(entries);
  }
  ~Databases() { std::filesystem::remove_all(folder_); }

  const std::string& Bytes(int entries) { return bytes_[entries]; }
  std::string Path(int entries) const { return folder_ + "/" + std::to_string(entries) + ".kdbx"; }
  const std::string& Folder() const { return folder_; }

 private:
  void Write(int count) {
    std::vector<Entry> entries(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      Entry& entry = entries[static_cast<size_t>(i)];
      entry.title = "Site " + std::to_string(i);
      entry.userName = "user" + std::to_string(i) + "@example.org";
      entry.password = "pw-" + std::to_string(i * 7919);
      entry.url = "https://site" + std::to_string(i) + ".example.org/login";
      entry.notes = "a note";
    }
    AssignMissingIds(entries);
    KdbxWriteSettings settings;
    settings.argon2_memory_bytes = 64 << 10;
    settings.argon2_parallelism = 1;
    settings.argon2_iterations = 1;
    FileKey key{SecretText(kDatabasePassword), std::nullopt};
    std::string error;
    if (!WriteKdbxWith(entries, key, settings, &bytes_[count], &error)) std::fprintf(stderr, "%s\n", error.c_str());
    std::ofstream(Path(count)) << bytes_[count];
  }

  std::string folder_;
  std::map<int, std::string> bytes_;
};

Databases& TheDatabases() {
  static Databases databases;
  return databases;
}

// Seconds per run of each measure, by entries, for the ratio at the end.
std::map<int, double> ours_seconds, keepassxc_seconds;

double SecondsPerRun(Clock::time_point start, const benchmark::State& state) {
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return state.iterations() == 0 ? 0 : seconds / static_cast<double>(state.iterations());
}

void BM_ImportKdbx(benchmark::State& state) {
  int entries = static_cast<int>(state.range(0));
  const std::string& bytes = TheDatabases().Bytes(entries);
  FileKey key{SecretText(kDatabasePassword), std::nullopt};
  Clock::time_point start = Clock::now();
  for (auto _ : state) {
    ImportPlan plan(SafeFormat::kStrong);
    std::string error;
    if (!PlanImportText(bytes, "", &plan, &error, &key)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(plan.Entries().data());
  }
  ours_seconds[entries] = SecondsPerRun(start, state);
}

void BM_KeepassxcLs(benchmark::State& state) {
  int entries = static_cast<int>(state.range(0));
  const Databases& databases = TheDatabases();
  std::string home = databases.Folder() + "/home";
  std::string command = "printf '%s\\n' " + std::string(kDatabasePassword) + " | HOME=" + home +
                        " XDG_CONFIG_HOME=" + home + " QT_QPA_PLATFORM=offscreen keepassxc-cli ls -q -R '" +
                        databases.Path(entries) + "' > /dev/null 2>&1";
  Clock::time_point start = Clock::now();
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("keepassxc-cli ls failed (is keepassxc installed?)");
  }
  keepassxc_seconds[entries] = SecondsPerRun(start, state);
}

BENCHMARK(BM_ImportKdbx)->Arg(1)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KeepassxcLs)->Arg(1)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter("ratio");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nTime ratios, the KDBX reader's / libargon2's, 64 MiB, parallelism 2, 10 passes (target <= 1.10):\n");
  for (const char* run : {"BM_Argon2d/iterations:8/real_time", "BM_Argon2id/iterations:8/real_time"}) {
    if (reporter.Rate(run) > 0) std::printf("%-44s ratio %5.2f\n", run, reporter.Rate(run));
  }
  double ours = ours_seconds[10000] - ours_seconds[1];
  double keepassxc = keepassxc_seconds[10000] - keepassxc_seconds[1];
  if (ours > 0 && keepassxc > 0) {
    std::printf("\nReading 10,000 entries of a KDBX 4 file, less a one-entry file's time (target >= 10):\n");
    std::printf("keepassxc-cli ls %.1f ms, Quillbox's import %.1f ms: ratio %.1f\n", keepassxc * 1000, ours * 1000,
                keepassxc / ours);
  }
  benchmark::Shutdown();
  return 0;
}
