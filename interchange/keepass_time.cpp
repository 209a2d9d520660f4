#include "interchange/keepass_time.h"

#include <sodium.h>

#include "interchange/utc_time.h"

namespace {

constexpr int64_t kSecondsFromYear1To1970 = 62135596800;
constexpr size_t kTimeBytes = 8;

}  // namespace

int64_t ReadKeepassTime(std::string_view text) {
  if (int64_t seconds = ParseUtcTime(text)) return seconds;
  uint8_t bytes[kTimeBytes + 1] = {};
  size_t size = 0;
  if (text.size() != 12 || sodium_base642bin(bytes, sizeof bytes, text.data(), text.size(), nullptr, &size, nullptr,
                                             sodium_base64_VARIANT_ORIGINAL) != 0) {
    return 0;
  }
  if (size < kTimeBytes) return 0;  // a ninth byte, from text without padding, is ignored as KeePassXC does
  uint64_t since_year_1 = 0;
  for (size_t i = kTimeBytes; i-- > 0;) since_year_1 = since_year_1 << 8 | bytes[i];
  return static_cast<int64_t>(since_year_1) - kSecondsFromYear1To1970;
}

void AppendKdbxTime(int64_t seconds, std::string* out) {
  uint64_t since_year_1 = static_cast<uint64_t>(seconds + kSecondsFromYear1To1970);
  uint8_t bytes[kTimeBytes];
  for (size_t i = 0; i < kTimeBytes; ++i) bytes[i] = static_cast<uint8_t>(since_year_1 >> (8 * i));
  char text[sodium_base64_ENCODED_LEN(kTimeBytes, sodium_base64_VARIANT_ORIGINAL)];
  out->append(sodium_bin2base64(text, sizeof text, bytes, kTimeBytes, sodium_base64_VARIANT_ORIGINAL));
}
