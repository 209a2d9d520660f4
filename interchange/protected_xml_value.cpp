#include "interchange/protected_xml_value.h"

#include <sodium.h>

#include <span>

#include "core/wiping_allocator.h"
#include "interchange/foreign_entry.h"

namespace {

std::span<uint8_t> BytesOf(char* data, size_t size) { return {reinterpret_cast<uint8_t*>(data), size}; }

}  // namespace

bool RevealProtectedValue(ProtectedValueStream& stream, std::string* text) {
  WipingBytes value(text->size() / 4 * 3 + 3);
  size_t size = 0;
  // KeePass writes no line breaks in a value, but other writers may.
  if (sodium_base642bin(value.data(), value.size(), text->data(), text->size(), " \t\r\n", &size, nullptr,
                        sodium_base64_VARIANT_ORIGINAL) != 0) {
    return false;
  }
  stream.Apply(std::span<uint8_t>(value.data(), size));
  WipeString(text);
  AppendSecret(text, std::string_view(reinterpret_cast<const char*>(value.data()), size));
  return true;
}

void AppendProtectedValue(ProtectedValueStream& stream, std::string* value, std::string* out) {
  stream.Apply(BytesOf(value->data(), value->size()));
  size_t start = out->size();
  out->resize(start + ProtectedValueRoom(value->size()));
  sodium_bin2base64(out->data() + start, out->size() - start, reinterpret_cast<const uint8_t*>(value->data()),
                    value->size(), sodium_base64_VARIANT_ORIGINAL);
  out->resize(out->size() - 1);  // the terminating NUL
}

size_t ProtectedValueRoom(size_t value_bytes) {
  return sodium_base64_ENCODED_LEN(value_bytes, sodium_base64_VARIANT_ORIGINAL);
}
