#include "desktop/splash_geometry.h"

#include "core/cpimage.h"

SplashGeometry ComputeSplashGeometry(uint32_t desktopWidth, uint32_t desktopHeight, uint32_t imageWidth,
                                     uint32_t imageHeight) {
  SplashGeometry g;
  const auto boxWidth = static_cast<uint32_t>(desktopWidth * 0.9);
  FitWithin(boxWidth, desktopHeight, imageWidth, imageHeight, 0.0, g.width, g.height);
  g.x = (desktopWidth - g.width) / 2;
  g.y = (desktopHeight - g.height) / 3;
  return g;
}
