#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/wiping_allocator.h"

// What a KDBX 4 payload holds before its XML: the inner stream's kind and
// key, and the attachments' bytes (counted here: they are left behind).
struct KdbxInnerHeader {
  uint32_t stream_id = 0;
  WipingString stream_key;
  size_t binaries = 0;
  size_t size = 0;  // bytes up to the XML
};

// False, with the reason, when the header is cut short or names no stream.
bool ParseKdbxInnerHeader(std::span<const uint8_t> payload, KdbxInnerHeader* header, std::string* error);
void AppendKdbxInnerHeader(uint32_t stream_id, std::span<const uint8_t> stream_key, WipingBytes* out);
