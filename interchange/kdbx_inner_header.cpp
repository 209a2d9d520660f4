#include "interchange/kdbx_inner_header.h"

#include "interchange/kdbx_bytes.h"

namespace {

enum Field : uint8_t { kEnd = 0, kStreamId = 1, kStreamKey = 2, kBinary = 3 };

void AppendField(WipingBytes* out, uint8_t id, std::span<const uint8_t> value) {
  out->push_back(id);
  AppendLittle(out, value.size(), 4);
  out->insert(out->end(), value.begin(), value.end());
}

}  // namespace

bool ParseKdbxInnerHeader(std::span<const uint8_t> payload, KdbxInnerHeader* header, std::string* error) {
  KdbxByteReader reader(AsText(payload));
  bool seen_stream = false;
  for (;;) {
    uint8_t id = 0;
    uint32_t size = 0;
    std::string_view value;
    if (!reader.U8(&id) || !reader.U32(&size) || !reader.Take(size, &value)) {
      *error = "the database is damaged: its inner header is cut short";
      return false;
    }
    if (id == kEnd) break;
    if (id == kStreamId) {
      KdbxByteReader number(value);
      seen_stream = value.size() == 4 && number.U32(&header->stream_id);
    } else if (id == kStreamKey) {
      header->stream_key.assign(value.begin(), value.end());
    } else if (id == kBinary) {
      ++header->binaries;
    }
  }
  if (!seen_stream || header->stream_key.empty()) {
    *error = "the database is damaged: its inner header names no stream for its protected values";
    return false;
  }
  header->size = reader.offset();
  return true;
}

void AppendKdbxInnerHeader(uint32_t stream_id, std::span<const uint8_t> stream_key, WipingBytes* out) {
  uint8_t id[4];
  Store32Le(id, stream_id);
  AppendField(out, kStreamId, id);
  AppendField(out, kStreamKey, stream_key);
  AppendField(out, kEnd, {});
}
