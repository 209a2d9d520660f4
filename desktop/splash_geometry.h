#pragma once

#include <cstdint>

// Where the splash window goes on the desktop and how large its picture is.
struct SplashGeometry {
  uint32_t x = 0;
  uint32_t y = 0;
  uint32_t width = 0;
  uint32_t height = 0;
};

// The picture fitted within 0.9 of the desktop width and all of its height,
// centred horizontally and a third of the way down the space left over.
SplashGeometry ComputeSplashGeometry(uint32_t desktopWidth, uint32_t desktopHeight, uint32_t imageWidth,
                                     uint32_t imageHeight);
