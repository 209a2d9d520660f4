#include "tests/unit/safe/safe_test_records.h"

#include "crypto/aes.h"
#include "crypto/crc32.h"
#include "crypto/safe_key.h"

uint32_t Le32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes.at(offset + i));
  return value;
}

void SetLe32(std::string& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<char>(value >> (8 * i));
}

std::string EncryptRecord(const std::string& password, const std::string& plaintext, size_t length, char pad) {
  std::string padded = plaintext.substr(0, length);
  padded.resize((length + 15) / 16 * 16, pad);
  uint8_t key[16];
  DeriveSafeKey(password.c_str(), key);
  AesContext aes;
  AesSetKey(aes, key, 128, true);
  uint32_t crc = Crc32Update(Crc32Update(0, nullptr, 0), padded.data(), padded.size());
  std::string record(4, '\0');
  SetLe32(record, 0, static_cast<uint32_t>(length));
  for (size_t i = 0; i < padded.size(); i += 16) {
    uint8_t block[16];
    AesEncryptBlock(aes, reinterpret_cast<const uint8_t*>(padded.data() + i), block);
    record.append(reinterpret_cast<const char*>(block), 16);
  }
  record.append(8, '\0');
  SetLe32(record, record.size() - 8, crc);
  SetLe32(record, record.size() - 4, static_cast<uint32_t>(record.size()));
  return record;
}
