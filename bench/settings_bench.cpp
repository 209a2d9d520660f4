// Parsing hive text next to one zlib CRC-32 pass over the same bytes, and the
// cost of one setting read and one write through both hive files (each write
// a locked read-modify-write with fsync and rename), in a scratch folder.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/ratio_reporter.h"
#include "platform/hive_document.h"
#include "settings/setting_value.h"
#include "tests/unit/settings/test_app.h"

namespace {

const char kKey[] = "HKEY_CURRENT_USER\\Software\\tarnwell\\Tarnwell Quillbox\\2.x";

std::string HiveText(int values) {
  WHiveDocument document;
  document.Parse("");
  for (int i = 0; i < values; ++i) {
    document.SetValue(kKey, "Setting_" + std::to_string(i), EncodeSettingInt(i));
    document.SetValue(kKey, "Text_" + std::to_string(i), EncodeSettingString("some \"quoted\" text"));
  }
  return document.Format();
}

void BM_ParseHive(benchmark::State& state) {
  const std::string text = HiveText(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    WHiveDocument document;
    document.Parse(text);
    benchmark::DoNotOptimize(document);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_ZlibCrc32(benchmark::State& state) {
  const std::string text = HiveText(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size()));
    benchmark::DoNotOptimize(crc);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

// Both hives in a fresh folder with the application's usual handful of values.
class ScratchHives {
 public:
  ScratchHives() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillbox-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) folder_ = pattern;
    setenv("XDG_CONFIG_HOME", (folder_ + "/user").c_str(), 1);
    setenv("XDG_CONFIG_DIRS", (folder_ + "/machine").c_str(), 1);
    app_.SetInstance(nullptr);
    for (int i = 0; i < 16; ++i) app_.SetSettingInt(("Setting_" + std::to_string(i)).c_str(), i);
  }
  ~ScratchHives() {
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }
  WApp& App() { return app_; }

 private:
  std::string folder_;
  TestApp app_;
};

void BM_GetSettingInt(benchmark::State& state) {
  ScratchHives hives;
  int value = 0;
  for (auto _ : state) {
    hives.App().GetSettingInt("Setting_7", &value, 0);
    benchmark::DoNotOptimize(value);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

void BM_SetSettingInt(benchmark::State& state) {
  ScratchHives hives;
  int value = 0;
  for (auto _ : state) hives.App().SetSettingInt("Setting_7", ++value);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}

BENCHMARK(BM_ParseHive)->Arg(16)->Arg(1000);
BENCHMARK(BM_ZlibCrc32)->Arg(16)->Arg(1000);
BENCHMARK(BM_GetSettingInt);
BENCHMARK(BM_SetSettingInt);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter("bytes_per_second");
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("Hive parsing speed as a share of one zlib CRC-32 pass over the same text:\n");
  reporter.PrintRatio("  16 + 16 values", "BM_ParseHive/16", "BM_ZlibCrc32/16");
  reporter.PrintRatio("  1000 + 1000 values", "BM_ParseHive/1000", "BM_ZlibCrc32/1000");
  benchmark::Shutdown();
  return 0;
}
