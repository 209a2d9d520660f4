#pragma once

#include <cstdint>
#include <vector>

#include "auto_type/auto_type_sequence.h"
#include "core/wiping_allocator.h"

// The sequence as the keyboard sees it: keysyms, with pauses and changes
// of the pace between them.
struct Press {
  enum class Kind : uint8_t { kKey, kPause, kPace };
  Kind kind;
  uint32_t value;
};
using Presses = std::vector<Press, WipingAllocator<Press>>;

Presses PressesOf(const std::vector<AutoTypeAction>& steps);

// The keysym X gives a Unicode character.
uint32_t KeysymOfCodePoint(char32_t c);
