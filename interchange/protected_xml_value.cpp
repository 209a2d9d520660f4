#include "interchange/protected_xml_value.h"

#include <span>

#include "interchange/base64_text.h"

bool RevealProtectedValue(ProtectedValueStream& stream, std::string* text) {
  // Decoded in place: the value never lies anywhere but in text.
  uint8_t* bytes = reinterpret_cast<uint8_t*>(text->data());
  size_t size = 0;
  if (!DecodeBase64(text->data(), text->size(), bytes, &size)) return false;
  stream.Apply(std::span<uint8_t>(bytes, size));
  text->resize(size);  // shorter: the buffer stays, its tail held only Base64
  return true;
}

void AppendProtectedValue(ProtectedValueStream& stream, std::string* value, std::string* out) {
  std::span<uint8_t> bytes(reinterpret_cast<uint8_t*>(value->data()), value->size());
  stream.Apply(bytes);
  AppendBase64(bytes, out);
}

size_t ProtectedValueRoom(size_t value_bytes) { return Base64Size(value_bytes); }
