// Splash-sized image resampling through the packed 32-bit loop and the
// general loop, and splitting/joining a large entry list next to a plain
// std::string version; ratios are printed at the end.
#include "core/cpimage.h"
#include "core/cpstringarray.h"
#include "core/heapstring.h"

#include "ratio_reporter.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kSplashWidth = 1342;
constexpr uint32_t kSplashHeight = 250;

const std::vector<uint8_t>& SplashPixels() {
  static const std::vector<uint8_t> pixels = [] {
    std::vector<uint8_t> bytes(size_t{kSplashWidth} * kSplashHeight * 4);
    std::mt19937 random(7);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
  }();
  return pixels;
}

// Arguments: destination width and height; destination pixel step (4 takes
// the packed loop, 3 the general one).
void BM_ResizeSplash(benchmark::State& state) {
  const auto width = static_cast<uint32_t>(state.range(0));
  const auto height = static_cast<uint32_t>(state.range(1));
  const auto step = static_cast<uint32_t>(state.range(2));
  std::vector<uint8_t> out(size_t{width} * height * step);
  for (auto _ : state) {
    ResizeImage(SplashPixels().data(), out.data(), 3, 4, step, kSplashWidth * 4, width * step, kSplashWidth,
                kSplashHeight, width, height);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * width * height);
}
// Reduced for a 1024-pixel-wide desktop and enlarged for a 1920-pixel one.
BENCHMARK(BM_ResizeSplash)->Args({921, 171, 4})->Args({921, 171, 3})->Args({1728, 321, 4})->Args({1728, 321, 3});

constexpr int kEntries = 5000;

const std::string& EntryText() {
  static const std::string text = [] {
    std::string joined;
    for (int i = 0; i < kEntries; ++i)
      joined += "Account " + std::to_string(i) + "\tuser" + std::to_string(i) + "\tpassword-" +
                std::to_string(i * 7919) + "\r\n";
    return joined;
  }();
  return text;
}

void BM_SplitJoinOurs(benchmark::State& state) {
  for (auto _ : state) {
    cpStringArray lines;
    lines.SplitLines(EntryText().c_str());
    char* joined = lines.Join("\r\n");
    benchmark::DoNotOptimize(joined);
    FreeString(joined);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kEntries);
}
BENCHMARK(BM_SplitJoinOurs);

void BM_SplitJoinStdString(benchmark::State& state) {
  for (auto _ : state) {
    const std::string& text = EntryText();
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
      lines.emplace_back(text, start, end - start);
    lines.emplace_back(text, start);
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) joined += (i > 0 ? "\r\n" : "") + lines[i];
    benchmark::DoNotOptimize(joined.data());
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kEntries);
}
BENCHMARK(BM_SplitJoinStdString);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter("items_per_second");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nRatios (rate of the first / rate of the second):\n");
  reporter.PrintRatio("splash reduce, packed / general loop", "BM_ResizeSplash/921/171/4", "BM_ResizeSplash/921/171/3");
  reporter.PrintRatio("splash enlarge, packed / general loop", "BM_ResizeSplash/1728/321/4",
                      "BM_ResizeSplash/1728/321/3");
  reporter.PrintRatio("entry list split+join, ours / std::string", "BM_SplitJoinOurs", "BM_SplitJoinStdString");
  benchmark::Shutdown();
  return 0;
}
