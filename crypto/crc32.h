#pragma once

#include <cstddef>
#include <cstdint>

// CRC-32 of IEEE 802.3 / zlib. A null data pointer returns 0, which is how a
// running CRC starts; later calls pass the previous result.
uint32_t Crc32Update(uint32_t crc, const void* data, size_t length);
