// The window's free and realloc (core/wiping_heap.h, which wipe what can
// still hold a secret) against glibc's own in the same run: this program's
// free and realloc switch between the two, argument 0 glibc's, 1 wiping.
// - a block grown a byte at a time to 4 MiB (bytes/s);
// - a 1 GiB block with one byte touched, freed (pages_touched: the pages
//   the free itself faulted in, each resident afterwards until unmapped);
// - a log-in to a strong safe of 100,000 entries (default key derivation)
//   with the window open, a keystroke in its filter, and the lock.
// The ratios after the table are glibc's rate over the wiping one's: the
// wiping's cost as a factor.
#include <QApplication>
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>

#include "app/gui/filter_field.h"
#include "app/gui/main_window.h"
#include "app/quillbox.h"
#include "bench/bench_entries.h"
#include "bench/bench_folder.h"
#include "bench/ratio_reporter.h"
#include "core/wiping_heap.h"
#include "safe/safe_store.h"

namespace {

std::atomic<bool> wiping{false};

}  // namespace

extern "C" {

void* __libc_realloc(void* block, size_t size);
void __libc_free(void* block);

void free(void* block) noexcept {
  if (wiping.load(std::memory_order_relaxed)) {
    WipingFree(block);
  } else {
    __libc_free(block);
  }
}

void* realloc(void* block, size_t size) noexcept {
  return wiping.load(std::memory_order_relaxed) ? WipingRealloc(block, size) : __libc_realloc(block, size);
}

}  // extern "C"

namespace {

constexpr char kRate[] = "rate";
constexpr char kPassword[] = "bench password";
constexpr size_t kGrowTo = 4 * 1024 * 1024;
constexpr size_t kLarge = size_t{1} << 30;
constexpr int kEntries = 100000;

// The allocator that argument 0 names for one benchmark.
class ChosenAllocator {
 public:
  explicit ChosenAllocator(const benchmark::State& state) { wiping = state.range(0) != 0; }
  ~ChosenAllocator() { wiping = false; }
};

void SetRate(benchmark::State& state, double perIteration) {
  state.counters[kRate] = benchmark::Counter(perIteration, benchmark::Counter::kIsIterationInvariantRate);
}

long MinorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

void BM_GrowByteAtATime(benchmark::State& state) {
  ChosenAllocator allocator(state);
  for (auto _ : state) {
    char* block = nullptr;
    for (size_t size = 1; size <= kGrowTo; ++size) {
      block = static_cast<char*>(realloc(block, size));
      block[size - 1] = 1;
    }
    benchmark::DoNotOptimize(block);
    free(block);
  }
  SetRate(state, kGrowTo);
}

void BM_FreeLargeTouchedOnce(benchmark::State& state) {
  ChosenAllocator allocator(state);
  long faults = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto* block = static_cast<char*>(malloc(kLarge));
    block[kLarge / 2] = 1;
    benchmark::DoNotOptimize(block);
    const long before = MinorFaults();
    state.ResumeTiming();
    free(block);
    state.PauseTiming();
    faults += MinorFaults() - before;
    state.ResumeTiming();
  }
  SetRate(state, 1);
  state.counters["pages_touched"] = static_cast<double>(faults) / static_cast<double>(state.iterations());
}

// The window with a strong safe of kEntries entries to log in to, made once.
class LogInFixture {
 public:
  LogInFixture() {
    const std::string safe = folder_.SafePath();
    const std::string root = safe.substr(0, safe.rfind('/'));
    setenv("XDG_CONFIG_HOME", root.c_str(), 1);
    setenv("XDG_CONFIG_DIRS", root.c_str(), 1);
    HeldSafeKey key;
    saved_ = DeriveNewSafeKey(kPassword, SafeFormat::kStrong, kDefaultStrongSafeParams, key) &&
             SaveSafe("bench", key, MakeBenchEntries(kEntries));
    app_ = std::make_unique<Quillbox>();
    window_ = std::make_unique<MainWindow>(*app_);
  }

  bool Saved() const { return saved_; }
  Quillbox& App() { return *app_; }
  MainWindow& Window() { return *window_; }

 private:
  BenchFolder folder_;
  bool saved_ = false;
  std::unique_ptr<Quillbox> app_;
  std::unique_ptr<MainWindow> window_;
};

// Made at the first use and gone before the application object.
std::unique_ptr<LogInFixture> logInFixture;

void BM_LogInAndFilter(benchmark::State& state) {
  if (!logInFixture) logInFixture = std::make_unique<LogInFixture>();
  LogInFixture& fixture = *logInFixture;
  if (!fixture.Saved()) state.SkipWithError("the safe could not be made");
  ChosenAllocator allocator(state);
  for (auto _ : state) {
    if (!fixture.App().LogIn("bench", kPassword)) state.SkipWithError("log-in failed");
    fixture.Window().Filter()->setText(QStringLiteral("site12"));
    benchmark::DoNotOptimize(fixture.Window().GetRowCount());
    fixture.App().Lock();
    fixture.Window().Filter()->clear();
  }
  SetRate(state, 1);
}

// Real time: the log-in derives its key on another thread.
BENCHMARK(BM_GrowByteAtATime)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreeLargeTouchedOnce)->Arg(0)->Arg(1)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LogInAndFilter)->Arg(0)->Arg(1)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter(kRate);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  logInFixture.reset();
  reporter.PrintRatio("realloc growth to 4 MiB, glibc / wiping", "BM_GrowByteAtATime/0/real_time",
                      "BM_GrowByteAtATime/1/real_time");
  reporter.PrintRatio("1 GiB free, one byte touched, glibc / wiping", "BM_FreeLargeTouchedOnce/0/real_time",
                      "BM_FreeLargeTouchedOnce/1/real_time");
  reporter.PrintRatio("log-in and filter, 100,000 entries, glibc / wiping",
                      "BM_LogInAndFilter/0/iterations:3/real_time", "BM_LogInAndFilter/1/iterations:3/real_time");
  benchmark::Shutdown();
  return 0;
}
