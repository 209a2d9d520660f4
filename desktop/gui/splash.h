#pragma once

#include <cstdint>

#include "desktop/splash_geometry.h"

class QSize;
class WBmp;

// The splash picture shown while the main window is being created.
inline constexpr int kSplashBitmapId = 118;
inline constexpr uint32_t kSplashSeconds = 4;

// Shows bitmap resource id, fitted to the primary screen, for seconds, and
// returns once its window is gone. Events of every window keep being handled
// meanwhile, so the rest of the program stays responsive.
void ShowSplash(int id, uint32_t seconds);

// Fills picture with bitmap resource id fitted to a desktop of that size,
// scaled once in memory so that drawing it never stretches, and returns
// where the picture goes. A missing resource gives a blank picture.
SplashGeometry PrepareSplashPicture(int id, const QSize& desktop, WBmp& picture);
