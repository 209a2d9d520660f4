#pragma once

#include <xcb/xcb.h>

#include <string>
#include <vector>

#include "auto_type/auto_type_sequence.h"
#include "auto_type/x11/x11_display.h"

enum class TypingResult { kDone, kFocusLost, kKeyboardTaken, kNoKeyLeft, kNoRecord, kRefused };

// Types the steps into the target window through XTEST, keyDelayMs apart,
// holding the keyboard so that no other program can take the keys, and
// stops at once when another window becomes active or takes the focus.
// Types the same whatever Caps Lock, Num Lock and the group say; they are
// as before afterwards. Characters the keyboard map lacks are typed through
// spare keycodes mapped to them for the moment; the map is as before when
// this returns. Keys the user still holds (the shortcut's modifiers) are
// released first. Never types into a window of this process.
TypingResult TypeIntoWindow(const X11Display& display, xcb_window_t target, const std::vector<AutoTypeAction>& steps,
                            int keyDelayMs, std::string* error);

// Empties the spare keycodes that a typing killed midway left mapped, by
// the record it kept; for the start of the program.
void RestoreKeysLeftMapped(const X11Display& display);
