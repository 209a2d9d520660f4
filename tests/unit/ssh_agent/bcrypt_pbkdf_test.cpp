#include "ssh_agent/bcrypt_pbkdf.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

TEST(BcryptPbkdf, MatchesOpenBsdVectors) {
  std::ifstream file(QUILLBOX_TEST_DATA_DIR "/ssh_agent/bcrypt_pbkdf.txt");
  ASSERT_TRUE(file.is_open());
  std::string line;
  int checked = 0;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string password, salt, expected;
    unsigned rounds = 0;
    fields >> password >> salt >> rounds >> expected;
    std::vector<uint8_t> key(expected.size() / 2);
    ASSERT_TRUE(BcryptPbkdf(FromHex(password), FromHex(salt), rounds, key)) << line;
    EXPECT_EQ(key, FromHex(expected)) << line;
    ++checked;
  }
  EXPECT_EQ(checked, 9);
}

TEST(BcryptPbkdf, RefusesWhatItDoesNotDefine) {
  const uint8_t password[] = {'p'}, salt[] = {'s'};
  std::vector<uint8_t> key(32), tooLong(32 * 32 + 1);
  EXPECT_FALSE(BcryptPbkdf(password, salt, 0, key));
  EXPECT_FALSE(BcryptPbkdf({}, salt, 4, key));
  EXPECT_FALSE(BcryptPbkdf(password, {}, 4, key));
  EXPECT_FALSE(BcryptPbkdf(password, salt, 4, tooLong));
}

}  // namespace
