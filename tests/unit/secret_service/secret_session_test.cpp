#include "secret_service/secret_session.h"

#include <gtest/gtest.h>
#include <openssl/bn.h>

#include <span>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(const BIGNUM* number) {
  std::vector<uint8_t> bytes(static_cast<size_t>(BN_num_bytes(number)));
  BN_bn2bin(number, bytes.data());
  return bytes;
}

std::vector<uint8_t> PrimePlus(long delta) {
  BIGNUM* number = BN_get_rfc2409_prime_1024(nullptr);
  if (delta < 0) BN_sub_word(number, static_cast<BN_ULONG>(-delta));
  if (delta > 0) BN_add_word(number, static_cast<BN_ULONG>(delta));
  std::vector<uint8_t> bytes = Bytes(number);
  BN_free(number);
  return bytes;
}

TEST(SecretSession, PlainCarriesTheTextAsItIs) {
  std::vector<uint8_t> output;
  SessionFault fault;
  auto session = SecretSession::Open(kPlainAlgorithm, {}, &output, &fault);
  ASSERT_NE(session, nullptr);
  EXPECT_TRUE(output.empty());
  SealedSecret sealed;
  ASSERT_TRUE(session->Seal("hunter-two", &sealed));
  EXPECT_TRUE(sealed.parameters.empty());
  SecretText back;
  EXPECT_EQ(session->Unseal(sealed.parameters, sealed.value, &back), SessionFault::kNone);
  EXPECT_EQ(back, "hunter-two");
}

TEST(SecretSession, RefusesWhatWouldGiveAwayTheKey) {
  struct Case {
    const char* what;
    std::string algorithm;
    std::vector<uint8_t> input;
    SessionFault fault;
  } cases[] = {
      {"unknown algorithm", "dh-ietf2048-sha256-aes256", {2}, SessionFault::kUnsupportedAlgorithm},
      {"no key", kDhAesAlgorithm, {}, SessionFault::kBadInput},
      {"zero", kDhAesAlgorithm, {0}, SessionFault::kBadInput},
      {"one", kDhAesAlgorithm, {0, 0, 1}, SessionFault::kBadInput},
      {"p - 1", kDhAesAlgorithm, PrimePlus(-1), SessionFault::kBadInput},
      {"p", kDhAesAlgorithm, PrimePlus(0), SessionFault::kBadInput},
      {"p + 5", kDhAesAlgorithm, PrimePlus(5), SessionFault::kBadInput},
      {"far too long", kDhAesAlgorithm, std::vector<uint8_t>(4096, 0x7f), SessionFault::kBadInput},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> output{1};
    SessionFault fault;
    EXPECT_EQ(SecretSession::Open(c.algorithm, c.input, &output, &fault), nullptr) << c.what;
    EXPECT_EQ(fault, c.fault) << c.what;
    EXPECT_TRUE(output.empty()) << c.what;
  }
}

std::string Hex(std::span<const uint8_t> bytes) {
  std::string text;
  for (uint8_t byte : bytes) text += "0123456789abcdef"[byte >> 4], text += "0123456789abcdef"[byte & 15];
  return text;
}

// Leading zeros kept: an IV may start with them.
std::vector<uint8_t> FromHex(const std::string& text) {
  std::vector<uint8_t> bytes;
  size_t odd = text.size() % 2;
  if (odd) bytes.push_back(static_cast<uint8_t>(std::stoi(text.substr(0, 1), nullptr, 16)));
  for (size_t i = odd; i < text.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

std::vector<std::string> RunClient(const std::string& arguments) {
  std::string command = "/usr/bin/python3 " QUILLBOX_TEST_SOURCE_DIR "/dh_client.py " + arguments;
  FILE* pipe = popen(command.c_str(), "r");
  std::vector<std::string> words;
  char word[1024];
  while (pipe != nullptr && fscanf(pipe, "%1023s", word) == 1) words.push_back(word);
  if (pipe != nullptr) pclose(pipe);
  return words;
}

// python3-secretstorage's own session code on the other side.
TEST(SecretSession, AgreesOnItsKeyWithARealClient) {
  std::vector<std::string> client = RunClient("start");
  ASSERT_EQ(client.size(), 2u);
  std::vector<uint8_t> ours;
  SessionFault fault;
  auto session = SecretSession::Open(kDhAesAlgorithm, FromHex(client[1]), &ours, &fault);
  ASSERT_NE(session, nullptr);
  ASSERT_EQ(ours.size(), 128u);
  SealedSecret sealed;
  ASSERT_TRUE(session->Seal("sealed-for-the-client", &sealed));
  std::vector<std::string> answer =
      RunClient("finish " + client[0] + " " + Hex(ours) + " " + Hex(sealed.parameters) + " " + Hex(sealed.value));
  ASSERT_EQ(answer.size(), 3u);
  EXPECT_EQ(answer[0], "sealed-for-the-client");
  SecretText reply;
  ASSERT_EQ(session->Unseal(FromHex(answer[1]), FromHex(answer[2]), &reply), SessionFault::kNone);
  EXPECT_EQ(reply, "reply from the client");
}

TEST(SecretSession, ASealedSecretOpensOnlyWhole) {
  std::vector<uint8_t> output;
  SessionFault fault;
  auto session = SecretSession::Open(kDhAesAlgorithm, PrimePlus(-2), &output, &fault);
  ASSERT_NE(session, nullptr);
  SealedSecret sealed;
  ASSERT_TRUE(session->Seal("sixteen byte txt", &sealed));
  ASSERT_EQ(sealed.parameters.size(), 16u);
  ASSERT_EQ(sealed.value.size(), 32u);  // a whole block of padding after 16 bytes
  SecretText back;
  ASSERT_EQ(session->Unseal(sealed.parameters, sealed.value, &back), SessionFault::kNone);
  EXPECT_EQ(back, "sixteen byte txt");

  std::vector<uint8_t> short_iv(sealed.parameters.begin(), sealed.parameters.end() - 1);
  std::vector<uint8_t> ragged(sealed.value.begin(), sealed.value.end() - 3);
  std::vector<uint8_t> whole(sealed.value.begin(), sealed.value.end());
  EXPECT_EQ(session->Unseal(short_iv, whole, &back), SessionFault::kBadInput);
  EXPECT_EQ(session->Unseal(sealed.parameters, ragged, &back), SessionFault::kBadInput);
  EXPECT_EQ(session->Unseal(sealed.parameters, {}, &back), SessionFault::kBadInput);
}

}  // namespace
