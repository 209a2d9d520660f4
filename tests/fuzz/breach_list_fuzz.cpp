// A breach list file is the input up to its first NUL: opening it and
// looking passwords up never crashes. The rest is passwords, one a line:
// the list made of their SHA-1 hashes, in order, opens and gives each its
// count, and a password left out is not found.
#include <openssl/evp.h>
#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>

#include "health/breach_list.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

std::string& Folder() {
  static std::string folder;
  return folder;
}

void RemoveFolder() { std::filesystem::remove_all(Folder()); }

std::string WriteList(std::string_view content) {
  if (Folder().empty()) {
    char pattern[] = "/tmp/quillbox-fuzz-breach-XXXXXX";
    Require(mkdtemp(pattern) != nullptr);
    Folder() = pattern;
    std::atexit(RemoveFolder);
  }
  std::string path = Folder() + "/list.txt";
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
  return path;
}

std::string Sha1Hex(std::string_view text) {
  unsigned char digest[20];
  unsigned size = 0;
  Require(EVP_Digest(text.data(), text.size(), digest, &size, EVP_sha1(), nullptr) == 1);
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char byte : digest) hex += {kHex[byte >> 4], kHex[byte & 15]};
  return hex;
}

void LookUp(const BreachList& list, std::string_view password) {
  BreachList::Lookup found = list.Find(SecretText(password));
  Require(found.error.find('\n') == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t nul = input.find('\0');
  std::string_view file = input.substr(0, nul);
  std::string_view passwords = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);
  {
    BreachList list;
    if (list.Open(WriteList(file)).empty()) {
      for (std::string_view password : {"password", "123456", ""}) LookUp(list, password);
      LookUp(list, passwords);
    }
  }

  std::map<std::string, std::pair<std::string, uint64_t>> hashes;  // hash: password, count
  uint64_t count = 0;
  while (nul != std::string_view::npos) {
    size_t end = passwords.find('\n');
    std::string password(passwords.substr(0, end));
    hashes.emplace(Sha1Hex(password), std::pair(password, ++count));
    if (end == std::string_view::npos) break;
    passwords.remove_prefix(end + 1);
  }
  std::string made;
  for (const auto& [hash, entry] : hashes) made += hash + ":" + std::to_string(entry.second) + "\r\n";
  BreachList list;
  if (!list.Open(WriteList(made)).empty()) {
    Require(hashes.empty());  // an empty file is no list
    return 0;
  }
  for (const auto& [hash, entry] : hashes) {
    BreachList::Lookup found = list.Find(SecretText(entry.first));
    Require(found.error.empty() && found.count == entry.second);
  }
  std::string absent = "absent";
  while (hashes.contains(Sha1Hex(absent))) absent += "!";
  Require(list.Find(SecretText(absent)).count == 0);
  return 0;
}
