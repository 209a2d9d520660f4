#include "crypto_test_support.h"

#include "crypto/cpu_features.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

Bytes FromHex(const std::string& text) {
  if (text == "-") return {};
  if (text.size() % 2 != 0) throw std::runtime_error("odd hex field: " + text);
  Bytes bytes;
  for (size_t i = 0; i < text.size(); i += 2)
    bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
  return bytes;
}

}  // namespace

std::vector<std::vector<Bytes>> ReadHexVectors(const std::string& name) {
  const std::string path = std::string(QUILLBOX_TEST_DATA_DIR) + "/crypto/" + name;
  std::ifstream file(path);
  if (!file) throw std::runtime_error("cannot open " + path);
  std::vector<std::vector<Bytes>> rows;
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::vector<Bytes> row;
    for (std::string field; fields >> field;) row.push_back(FromHex(field));
    rows.push_back(row);
  }
  if (rows.empty()) throw std::runtime_error("no vectors in " + path);
  return rows;
}

std::string ToHex(const uint8_t* data, size_t length) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (size_t i = 0; i < length; ++i) {
    text += kDigits[data[i] >> 4];
    text += kDigits[data[i] & 15];
  }
  return text;
}

std::string ToHex(const Bytes& bytes) { return ToHex(bytes.data(), bytes.size()); }

Bytes RandomBytes(std::mt19937& random, size_t length) {
  Bytes bytes(length);
  for (auto& b : bytes) b = static_cast<uint8_t>(random());
  return bytes;
}

std::string CryptoPathName(CryptoPath path) { return path == CryptoPath::Accelerated ? "Accelerated" : "Portable"; }

ScopedCryptoPath::ScopedCryptoPath(CryptoPath path) : previous_(PortableCryptoForced()) {
  ForcePortableCrypto(path == CryptoPath::Portable);
}

ScopedCryptoPath::~ScopedCryptoPath() { ForcePortableCrypto(previous_); }
