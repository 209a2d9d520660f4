// The built-in key of this test build is the test key pair's public half.

#include "update/update_signature.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "tests/unit/update/test_key_signer.h"

namespace {

const Bytes kInstaller = {'n', 'e', 'w', ' ', 'i', 'n', 's', 't', 'a', 'l', 'l', 'e', 'r'};

class UpdateSignatureTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(signer_.IsLoaded()); }

  Bytes FileAround(const Bytes& digest, const Bytes& signature) const {
    Bytes file = digest;
    file.push_back(static_cast<unsigned char>(signature.size()));
    file.insert(file.end(), signature.begin(), signature.end());
    return file;
  }
  bool Verify(const Bytes& file) const { return VerifyUpdateSignature(file.data(), file.size()); }

  TestKeySigner signer_;
  Bytes digest_ = Md5Of(kInstaller);
};

TEST_F(UpdateSignatureTest, AcceptsAValidFileAndIgnoresTrailingBytes) {
  Bytes file = signer_.SignatureFileFor(kInstaller);
  ASSERT_EQ(file.size(), 145u);
  EXPECT_TRUE(Verify(file));
  file.push_back(0x5a);
  EXPECT_TRUE(Verify(file));
  // A block built by hand the way the standard describes verifies too, so the
  // mutations below start from a known-good encoding.
  EXPECT_TRUE(Verify(FileAround(digest_, signer_.SignBlock(Pkcs1Block(Md5DigestInfo(digest_))))));
}

TEST_F(UpdateSignatureTest, RejectsChangedDigestBytes) {
  const Bytes valid = signer_.SignatureFileFor(kInstaller);
  for (size_t i = 0; i < kSignatureDigestSize; ++i) {
    Bytes file = valid;
    file[i] ^= 0x01;
    EXPECT_FALSE(Verify(file)) << "digest byte " << i;
  }
}

TEST_F(UpdateSignatureTest, RejectsEveryMutatedEncoding) {
  const Bytes info = Md5DigestInfo(digest_);
  struct Case {
    const char* name;
    std::function<Bytes()> block;
  };
  const Case cases[] = {
      {"leading byte not zero",
       [&] {
         Bytes b = Pkcs1Block(info);
         b[0] = 0x01;
         return b;
       }},
      {"block type 2",
       [&] {
         Bytes b = Pkcs1Block(info);
         b[1] = 0x02;
         return b;
       }},
      {"block type 0",
       [&] {
         Bytes b = Pkcs1Block(info);
         b[1] = 0x00;
         return b;
       }},
      {"padding byte changed",
       [&] {
         Bytes b = Pkcs1Block(info);
         b[40] = 0xfe;
         return b;
       }},
      {"last padding byte zero (short padding, garbage)",
       [&] {
         Bytes b = Pkcs1Block(info);
         b[3] = 0x00;
         return b;
       }},
      {"no padding at all",
       [&] {
         Bytes b = {0x00, 0x01, 0x00};
         b.insert(b.end(), 128 - 3 - info.size(), 0x00);
         b.insert(b.end(), info.begin(), info.end());
         return b;
       }},
      {"separator missing",
       [&] {
         Bytes b = Pkcs1Block(info);
         b[128 - info.size() - 1] = 0xff;
         return b;
       }},
      {"SHA-1 algorithm identifier",
       [&] {
         Bytes i = {0x30, 0x1d, 0x30, 0x09, 0x06, 0x05, 0x2b, 0x0e, 0x03, 0x02, 0x1a, 0x05, 0x00, 0x04, 0x10};
         i.insert(i.end(), digest_.begin(), digest_.end());
         return Pkcs1Block(i);
       }},
      {"MD2 algorithm identifier",
       [&] {
         Bytes i = info;
         i[13] = 0x02;
         return Pkcs1Block(i);
       }},
      {"parameters missing",
       [&] {
         Bytes i = {0x30, 0x1e, 0x30, 0x0a, 0x06, 0x08, 0x2a, 0x86, 0x48, 0x86, 0xf7, 0x0d, 0x02, 0x05, 0x04, 0x10};
         i.insert(i.end(), digest_.begin(), digest_.end());
         return Pkcs1Block(i);
       }},
      {"BER long-form outer length",
       [&] {
         Bytes i = info;
         i[1] = 0x81;
         i.insert(i.begin() + 2, 0x20);
         return Pkcs1Block(i);
       }},
      {"BER long-form digest length",
       [&] {
         Bytes i = info;
         i[17] = 0x81;
         i.insert(i.begin() + 18, 0x10);
         i[1] = 0x21;
         return Pkcs1Block(i);
       }},
      {"trailing garbage after DigestInfo",
       [&] {
         Bytes i = info;
         i.push_back(0x00);
         return Pkcs1Block(i);
       }},
      {"garbage inside the sequence",
       [&] {
         Bytes i = info;
         i[1] = 0x22;
         i.push_back(0x05);
         i.push_back(0x00);
         return Pkcs1Block(i);
       }},
      {"digest of other bytes", [&] { return Pkcs1Block(Md5DigestInfo(Md5Of({'x'}))); }},
  };
  for (const Case& c : cases) {
    const Bytes block = c.block();
    ASSERT_EQ(block.size(), 128u) << c.name;
    const Bytes signature = signer_.SignBlock(block);
    ASSERT_EQ(signature.size(), 128u) << c.name;
    EXPECT_FALSE(Verify(FileAround(digest_, signature))) << c.name;
  }
}

TEST_F(UpdateSignatureTest, RejectsSignaturesOfTheWrongLengthOrRange) {
  const Bytes valid = signer_.SignatureFileFor(kInstaller);
  const Bytes signature(valid.begin() + 17, valid.end());

  Bytes shortFile = valid;  // 144 bytes claiming 128: refused before any RSA work
  shortFile.pop_back();
  EXPECT_FALSE(Verify(shortFile));

  Bytes truncated(signature.begin() + 1, signature.end());  // L = 127
  EXPECT_FALSE(Verify(FileAround(digest_, truncated)));

  Bytes padded = signature;  // L = 129, a leading zero byte
  padded.insert(padded.begin(), 0x00);
  EXPECT_FALSE(Verify(FileAround(digest_, padded)));

  EXPECT_FALSE(Verify(FileAround(digest_, Bytes(128, 0x00))));
  Bytes one(128, 0x00);
  one[127] = 0x01;
  EXPECT_FALSE(Verify(FileAround(digest_, one)));
  EXPECT_FALSE(Verify(FileAround(digest_, Bytes(128, 0xff))));  // above the modulus
  EXPECT_FALSE(Verify(FileAround(digest_, {})));                // L = 0
}

TEST_F(UpdateSignatureTest, RejectsFilesOfUnusableSizes) {
  std::mt19937 random(7);
  for (size_t size : {0u, 1u, 16u, 17u, 127u, 129u, 144u, 1u << 20}) {
    Bytes file(size);
    for (auto& byte : file) byte = static_cast<unsigned char>(random());
    if (size > 16) file[16] = 128;
    EXPECT_FALSE(Verify(file)) << size << " bytes";
  }
  EXPECT_FALSE(VerifyUpdateSignature(nullptr, 0));
}

}  // namespace
