#include "secret_service/object_paths.h"

#include <charconv>

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr std::string_view kCollectionPrefix = "/org/freedesktop/secrets/collection/";
constexpr std::string_view kSessionPrefix = "/org/freedesktop/secrets/session/s";
constexpr std::string_view kPromptPrefix = "/org/freedesktop/secrets/prompt/p";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<uint64_t> NumberAfter(std::string_view prefix, std::string_view path) {
  if (path.substr(0, prefix.size()) != prefix) return std::nullopt;
  std::string_view digits = path.substr(prefix.size());
  // One spelling per number: no sign, no leading zero.
  if (digits.empty() || (digits.size() > 1 && digits[0] == '0')) return std::nullopt;
  uint64_t number = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return number;
}

}  // namespace

std::string CollectionPath(std::string_view userName) {
  std::string path(kCollectionPrefix);
  if (userName.empty()) return path + "_";
  for (const char c : userName) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (plain) {
      path += c;
    } else {
      path += '_';
      path += kHexDigits[byte >> 4];
      path += kHexDigits[byte & 0xf];
    }
  }
  return path;
}

std::string ItemPath(std::string_view collectionPath, const EntryId& id) {
  std::string path(collectionPath);
  path += '/';
  for (const uint8_t byte : id.bytes) {
    path += kHexDigits[byte >> 4];
    path += kHexDigits[byte & 0xf];
  }
  return path;
}

std::string SessionPath(uint64_t number) { return std::string(kSessionPrefix) + std::to_string(number); }

std::string PromptPath(uint64_t number) { return std::string(kPromptPrefix) + std::to_string(number); }

std::optional<EntryId> ItemIdFromPath(std::string_view collectionPath, std::string_view path) {
  if (path.size() != collectionPath.size() + 1 + 2 * kEntryIdSize) return std::nullopt;
  if (path.substr(0, collectionPath.size()) != collectionPath || path[collectionPath.size()] != '/') {
    return std::nullopt;
  }
  std::string_view hex = path.substr(collectionPath.size() + 1);
  EntryId id;
  for (size_t i = 0; i < kEntryIdSize; ++i) {
    const int high = HexValue(hex[2 * i]);
    const int low = HexValue(hex[2 * i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    id.bytes[i] = static_cast<uint8_t>(high << 4 | low);
  }
  return id;
}

std::optional<uint64_t> SessionNumberFromPath(std::string_view path) { return NumberAfter(kSessionPrefix, path); }

std::optional<uint64_t> PromptNumberFromPath(std::string_view path) { return NumberAfter(kPromptPrefix, path); }
