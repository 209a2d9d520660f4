#include "interchange/keepass_time.h"

#include <algorithm>

#include "core/byte_order.h"
#include "interchange/base64_text.h"
#include "interchange/utc_time.h"
#include "safe/entry.h"

namespace {

constexpr int64_t kSecondsFromYear1To1970 = -kEarliestEntryTime;
constexpr size_t kTimeBytes = 8;
constexpr size_t kTimeText = 12;  // Base64 of the eight bytes

}  // namespace

int64_t ReadKeepassTime(std::string_view text) {
  if (text.size() != kTimeText || text.find('-') != std::string_view::npos) return ParseUtcTime(text);
  uint8_t bytes[Base64DecodedRoom(kTimeText)];
  size_t size = 0;
  // A ninth byte, from text without padding, is ignored as KeePassXC does.
  if (!DecodeBase64(text.data(), text.size(), bytes, &size) || size < kTimeBytes) return 0;
  const uint64_t since_year_1 = Load64Le(bytes);
  // Compared before subtracting: a count past year 9999 would overflow.
  constexpr uint64_t kLatest = kLatestEntryTime + kSecondsFromYear1To1970;
  return static_cast<int64_t>(std::min(since_year_1, kLatest)) - kSecondsFromYear1To1970;
}

void AppendKdbxTime(int64_t seconds, std::string* out) {
  uint64_t since_year_1 = static_cast<uint64_t>(ClampEntryTime(seconds) + kSecondsFromYear1To1970);
  uint8_t bytes[kTimeBytes];
  Store64Le(bytes, since_year_1);
  AppendBase64(bytes, out);
}
