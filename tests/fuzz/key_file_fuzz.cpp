// A KeePass key file in: reading never crashes and gives the same key
// twice; a file that is no XML key file keys by its 32 bytes or else by
// its SHA-256; and whatever key is read, written again as a version 1.0
// and a version 2.0 key file (hash included), reads back as itself.
#include <openssl/evp.h>
#include <sodium.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "interchange/kdbx_key.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

WipingBytes Sha256(std::span<const uint8_t> bytes) {
  WipingBytes digest(32);
  unsigned size = 0;
  Require(EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, EVP_sha256(), nullptr) == 1 && size == 32);
  return digest;
}

std::string Hex(std::span<const uint8_t> bytes) {
  std::string text(bytes.size() * 2 + 1, '\0');
  sodium_bin2hex(text.data(), text.size(), bytes.data(), bytes.size());
  text.pop_back();
  return text;
}

std::string Base64(std::span<const uint8_t> bytes) {
  std::string text(sodium_base64_ENCODED_LEN(bytes.size(), sodium_base64_VARIANT_ORIGINAL), '\0');
  sodium_bin2base64(text.data(), text.size(), bytes.data(), bytes.size(), sodium_base64_VARIANT_ORIGINAL);
  text.pop_back();
  return text;
}

std::string KeyFile(const char* version, const std::string& hash, const std::string& data) {
  return std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<KeyFile><Meta><Version>") + version +
         "</Version></Meta><Key><Data" + (hash.empty() ? "" : " Hash=\"" + hash + "\"") + ">" + data +
         "</Data></Key></KeyFile>\n";
}

void RequireReadsAs(const std::string& file, const WipingBytes& key) {
  WipingBytes read;
  std::string error;
  Require(KeyFileKey(Bytes(file), &read, &error) && read == key);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::span<const uint8_t> content(data, size);
  WipingBytes key, again;
  std::string error, error_again;
  bool read = KeyFileKey(content, &key, &error);
  Require(KeyFileKey(content, &again, &error_again) == read);
  if (!read) {
    Require(!error.empty() && error == error_again);
    return 0;
  }
  Require(again == key);

  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (text.find("KeyFile") == std::string_view::npos) {
    bool raw = size == 32;
    Require(raw ? key == WipingBytes(content.begin(), content.end()) : (size == 64 || key == Sha256(content)));
  }
  if (key.empty()) return 0;
  RequireReadsAs(KeyFile("1.0", "", Base64(key)), key);
  std::string hash = Hex(std::span(Sha256(key).data(), 4));
  RequireReadsAs(KeyFile("2.0", hash, Hex(key)), key);
  return 0;
}
