#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// KDBX 4 authenticates its header and every block of its encrypted
// payload with HMAC-SHA-256, under keys made from one base key
// (SHA-512 of master seed, transformed key and 0x01) and the block's index.
void HmacBaseKey(std::string_view master_seed, const uint8_t transformed[32], uint8_t base[64]);
// The HMAC that follows the header, under the index 2^64 - 1.
void HeaderHmac(const uint8_t base[64], std::string_view header, uint8_t hmac[32]);

enum class HmacBlocksResult { kRead, kDamaged, kCutShort };
// The payload the blocks carry, every block's HMAC checked before any is
// taken (a changed byte anywhere leaves the payload unread).
HmacBlocksResult ReadHmacBlocks(std::string_view blocks, const uint8_t base[64], std::string* payload);
// The payload in blocks of at most block_size bytes, ending with the empty
// block.
void WriteHmacBlocks(std::span<const uint8_t> payload, const uint8_t base[64], size_t block_size, std::string* out);
