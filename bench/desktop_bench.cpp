// The splash picture made ready for 1024 x 768 and 1920 x 1080 desktops:
// decoding bitmap 118, fitting it and scaling it once with the box filter,
// beside QImage's decode and smooth scale to the same size. Rates are
// output pixels per second; ratios follow the table.
#include <QGuiApplication>
#include <QImage>
#include <QSize>
#include <benchmark/benchmark.h>

#include "desktop/gui/splash.h"
#include "desktop/gui/wbmp.h"
#include "ratio_reporter.h"

namespace {

constexpr char kRate[] = "pixels/s";

void BM_PrepareSplash(benchmark::State& state) {
  const QSize desktop(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  SplashGeometry g;
  for (auto _ : state) {
    WBmp picture(1, 1);
    g = PrepareSplashPicture(kSplashBitmapId, desktop, picture);
    benchmark::DoNotOptimize(picture.GetPixels());
  }
  state.counters[kRate] =
      benchmark::Counter(static_cast<double>(g.width) * g.height, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PrepareSplash)->Args({1024, 768})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

void BM_QtSmoothSplash(benchmark::State& state) {
  const QSize desktop(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  WBmp sized(1, 1);
  const SplashGeometry g = PrepareSplashPicture(kSplashBitmapId, desktop, sized);
  const QSize size(static_cast<int>(g.width), static_cast<int>(g.height));
  for (auto _ : state) {
    QImage scaled = QImage(QStringLiteral(":/images/bitmap_118.png"))
                        .convertToFormat(QImage::Format_RGB32)
                        .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    benchmark::DoNotOptimize(scaled.constBits());
  }
  state.counters[kRate] =
      benchmark::Counter(static_cast<double>(g.width) * g.height, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_QtSmoothSplash)->Args({1024, 768})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter(kRate);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio("splash for 1024 x 768, ours / Qt smooth", "BM_PrepareSplash/1024/768",
                      "BM_QtSmoothSplash/1024/768");
  reporter.PrintRatio("splash for 1920 x 1080, ours / Qt smooth", "BM_PrepareSplash/1920/1080",
                      "BM_QtSmoothSplash/1920/1080");
  benchmark::Shutdown();
  return 0;
}
