#pragma once

#include <bit>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>

// Integers as files and ciphers lay them out, in a stated byte order
// whatever the machine's. Unaligned loads and stores go through memcpy,
// which compilers turn into plain moves.

namespace byte_order_detail {

template <std::unsigned_integral T>
constexpr T Swapped(T value) {
  if constexpr (sizeof(T) == 1) {
    return value;
  } else if constexpr (sizeof(T) == 2) {
    return __builtin_bswap16(value);
  } else if constexpr (sizeof(T) == 4) {
    return __builtin_bswap32(value);
  } else {
    return __builtin_bswap64(value);
  }
}

// Swapping is its own inverse: the same call converts either way.
template <std::endian Order, std::unsigned_integral T>
constexpr T InOrder(T value) {
  return Order == std::endian::native ? value : Swapped(value);
}

template <std::endian Order, std::unsigned_integral T>
T Load(const void* p) {
  T value;
  std::memcpy(&value, p, sizeof value);
  return InOrder<Order>(value);
}

template <std::endian Order, std::unsigned_integral T>
void Store(void* p, T value) {
  value = InOrder<Order>(value);
  std::memcpy(p, &value, sizeof value);
}

}  // namespace byte_order_detail

template <std::unsigned_integral T>
T LoadLe(const void* p) {
  return byte_order_detail::Load<std::endian::little, T>(p);
}

inline uint32_t Load32Le(const void* p) { return LoadLe<uint32_t>(p); }
inline uint64_t Load64Le(const void* p) { return LoadLe<uint64_t>(p); }
inline void Store32Le(void* p, uint32_t value) { byte_order_detail::Store<std::endian::little>(p, value); }
inline void Store64Le(void* p, uint64_t value) { byte_order_detail::Store<std::endian::little>(p, value); }
inline uint32_t Load32Be(const void* p) { return byte_order_detail::Load<std::endian::big, uint32_t>(p); }
inline void Store32Be(void* p, uint32_t value) { byte_order_detail::Store<std::endian::big>(p, value); }

// Appends value's low `size` bytes, least significant first.
template <typename Bytes>
void AppendLittle(Bytes* out, uint64_t value, size_t size) {
  for (size_t i = 0; i < size; ++i) out->push_back(static_cast<typename Bytes::value_type>(value >> (8 * i)));
}
