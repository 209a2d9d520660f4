#include "interchange/kdbx_variant_dictionary.h"

#include <algorithm>

#include "interchange/kdbx_bytes.h"

namespace {

constexpr uint16_t kVersion = 0x0100;

size_t FixedSize(uint8_t type) {
  switch (type) {
    case kVariantUInt32:
    case kVariantInt32:
      return 4;
    case kVariantUInt64:
    case kVariantInt64:
      return 8;
    case kVariantBool:
      return 1;
    default:
      return 0;
  }
}

// A name from the file, for a message: only when it is a short word.
std::string Printable(std::string_view key) {
  bool word = !key.empty() && key.size() <= 16 &&
              std::all_of(key.begin(), key.end(), [](char c) { return c > ' ' && c < 0x7F; });
  return word ? std::string(key) : "(unnamed)";
}

}  // namespace

bool ParseVariantDictionary(std::string_view bytes, KdbxVariantDictionary* out, std::string* error) {
  KdbxByteReader reader(bytes);
  uint16_t version = 0;
  if (!reader.U16(&version) || (version & 0xFF00) > (kVersion & 0xFF00)) {
    *error = "the key derivation parameters are of an unknown version";
    return false;
  }
  for (;;) {
    uint8_t type = 0;
    if (!reader.U8(&type)) break;
    if (type == 0) return true;
    uint32_t key_size = 0, value_size = 0;
    std::string_view key, value;
    if (!reader.U32(&key_size) || !reader.Take(key_size, &key) || !reader.U32(&value_size) ||
        !reader.Take(value_size, &value)) {
      break;
    }
    size_t fixed = FixedSize(type);
    if (fixed != 0 && value.size() != fixed) {
      *error = "the key derivation parameter " + Printable(key) + " has the wrong size";
      return false;
    }
    (*out)[std::string(key)] = KdbxVariant{type, std::string(value)};
  }
  *error = "the key derivation parameters are cut short";
  return false;
}

std::string SerializeVariantDictionary(const KdbxVariantDictionary& dictionary) {
  std::string out;
  AppendLittle(&out, kVersion, 2);
  for (const auto& [key, value] : dictionary) {
    out.push_back(static_cast<char>(value.type));
    AppendLittle(&out, key.size(), 4);
    out += key;
    AppendLittle(&out, value.bytes.size(), 4);
    out += value.bytes;
  }
  out.push_back('\0');
  return out;
}

bool VariantNumber(const KdbxVariantDictionary& dictionary, std::string_view key, uint64_t* value) {
  auto found = dictionary.find(key);
  if (found == dictionary.end()) return false;
  uint8_t type = found->second.type;
  if (type != kVariantUInt32 && type != kVariantUInt64) return false;
  KdbxByteReader reader(found->second.bytes);
  if (type == kVariantUInt64) return reader.U64(value);
  uint32_t narrow = 0;
  reader.U32(&narrow);
  *value = narrow;
  return true;
}

KdbxVariant VariantOf(uint8_t type, uint64_t number) {
  KdbxVariant variant{type, {}};
  AppendLittle(&variant.bytes, number, FixedSize(type));
  return variant;
}
