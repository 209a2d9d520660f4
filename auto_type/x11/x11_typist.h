#pragma once

#include <xcb/xcb.h>

#include <string>
#include <vector>

#include "auto_type/auto_type_sequence.h"
#include "auto_type/x11/x11_display.h"

enum class TypingResult { kDone, kFocusLost, kRefused };

// Types the steps into the target window through XTEST, keyDelayMs apart,
// and stops at once when another window becomes active. A character the
// keyboard map lacks is typed through a spare keycode mapped to it for the
// moment; the map is as before when this returns. Keys the user still
// holds (the shortcut's modifiers) are released first. Never types into a
// window of this process.
TypingResult TypeIntoWindow(const X11Display& display, xcb_window_t target, const std::vector<AutoTypeAction>& steps,
                            int keyDelayMs, std::string* error);

// The keysym X gives a Unicode character.
uint32_t KeysymOfCodePoint(char32_t c);
