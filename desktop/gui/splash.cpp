#include "desktop/gui/splash.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSize>

#include "core/cpimage.h"
#include "desktop/gui/splash_window.h"
#include "desktop/gui/wbmp.h"
#include "desktop/splash_wait.h"

namespace {

constexpr uint32_t kBytesPerPixel = 4;
constexpr uint32_t kColourPlanes = 3;  // the fourth byte stays 0xFF

void ScaleInto(const WBmp& source, WBmp& destination) {
  const auto sourceWidth = static_cast<uint32_t>(source.GetWidth());
  const auto sourceHeight = static_cast<uint32_t>(source.GetHeight());
  const auto width = static_cast<uint32_t>(destination.GetWidth());
  const auto height = static_cast<uint32_t>(destination.GetHeight());
  ResizeImage(source.GetPixels(), destination.GetPixels(), kColourPlanes, kBytesPerPixel, kBytesPerPixel,
              sourceWidth * kBytesPerPixel, width * kBytesPerPixel, sourceWidth, sourceHeight, width, height);
}

}  // namespace

SplashGeometry PrepareSplashPicture(int id, const QSize& desktop, WBmp& picture) {
  WBmp source(1, 1);
  source.LoadFromResource(id);
  const SplashGeometry g =
      ComputeSplashGeometry(static_cast<uint32_t>(desktop.width()), static_cast<uint32_t>(desktop.height()),
                            static_cast<uint32_t>(source.GetWidth()), static_cast<uint32_t>(source.GetHeight()));
  picture.Resize(static_cast<int>(g.width), static_cast<int>(g.height));
  ScaleInto(source, picture);
  return g;
}

void ShowSplash(int id, uint32_t seconds) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect desktop = screen->geometry();
  WBmp picture(1, 1);
  const SplashGeometry g = PrepareSplashPicture(id, desktop.size(), picture);

  SplashWindow window(picture);
  // A window that cannot be resized is floated by tiling compositors, not
  // stretched over the screen.
  window.setFixedSize(static_cast<int>(g.width), static_cast<int>(g.height));
  window.move(desktop.x() + static_cast<int>(g.x), desktop.y() + static_cast<int>(g.y));
  window.show();
  WaitWhilePumping(seconds, SystemSplashClock(), [] { QCoreApplication::processEvents(QEventLoop::AllEvents); });
}
