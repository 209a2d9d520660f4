#pragma once

#include <span>
#include <string>

#include "core/wiping_allocator.h"

// KDBX 3.1's decrypted payload: blocks of index, SHA-256 and size, ending
// with an empty block. False, with the reason, for a block out of order,
// cut short or whose hash does not match.
bool ReadHashedBlocks(std::span<const uint8_t> blocks, WipingBytes* payload, std::string* error);
