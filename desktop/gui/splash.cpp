#include "desktop/gui/splash.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include "core/cpimage.h"
#include "desktop/gui/splash_window.h"
#include "desktop/gui/wbmp.h"
#include "desktop/splash_geometry.h"
#include "desktop/splash_wait.h"

namespace {

constexpr uint32_t kBytesPerPixel = 4;
constexpr uint32_t kColourPlanes = 3;  // the fourth byte stays 0xFF

// The picture scaled once, in memory, so drawing never stretches.
void ScaleInto(const WBmp& source, WBmp& destination) {
  const auto sourceWidth = static_cast<uint32_t>(source.GetWidth());
  const auto sourceHeight = static_cast<uint32_t>(source.GetHeight());
  const auto width = static_cast<uint32_t>(destination.GetWidth());
  const auto height = static_cast<uint32_t>(destination.GetHeight());
  ResizeImage(source.GetPixels(), destination.GetPixels(), kColourPlanes, kBytesPerPixel,
              kBytesPerPixel, sourceWidth * kBytesPerPixel, width * kBytesPerPixel, sourceWidth,
              sourceHeight, width, height);
}

}  // namespace

void ShowSplash(int id, uint32_t seconds) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  WBmp source(1, 1);
  source.LoadFromResource(id);

  const QRect desktop = screen->geometry();
  const SplashGeometry g = ComputeSplashGeometry(
      static_cast<uint32_t>(desktop.width()), static_cast<uint32_t>(desktop.height()),
      static_cast<uint32_t>(source.GetWidth()), static_cast<uint32_t>(source.GetHeight()));
  WBmp picture(1, 1);
  picture.Resize(static_cast<int>(g.width), static_cast<int>(g.height));
  ScaleInto(source, picture);

  SplashWindow window(picture);
  window.setGeometry(desktop.x() + static_cast<int>(g.x), desktop.y() + static_cast<int>(g.y),
                     static_cast<int>(g.width), static_cast<int>(g.height));
  window.show();
  WaitWhilePumping(seconds, SystemSplashClock(),
                   [] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
}
