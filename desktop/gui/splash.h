#pragma once

#include <cstdint>

// The splash picture shown while the main window is being created.
inline constexpr int kSplashBitmapId = 118;
inline constexpr uint32_t kSplashSeconds = 4;

// Shows bitmap resource id, fitted to the primary screen, for seconds, and
// returns once its window is gone. Events of every window keep being handled
// meanwhile, so the rest of the program stays responsive.
void ShowSplash(int id, uint32_t seconds);
