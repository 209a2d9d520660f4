#pragma once

#include <openssl/types.h>

#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// The test key pair under tests/data/update, for making signature files and
// deliberately broken signatures that the test build of Quillbox checks.
class TestKeySigner {
 public:
  TestKeySigner();
  ~TestKeySigner();
  TestKeySigner(const TestKeySigner&) = delete;
  TestKeySigner& operator=(const TestKeySigner&) = delete;

  bool IsLoaded() const { return key_ != nullptr; }
  EVP_PKEY* Key() const { return key_; }

  // The raw private-key operation on a 128-byte block (no padding added), so
  // tests choose every byte of what the verifier recovers.
  Bytes SignBlock(const Bytes& block) const;
  // A well-formed signature file for the installer bytes.
  Bytes SignatureFileFor(const Bytes& installer) const;

 private:
  EVP_PKEY* key_ = nullptr;
};

std::string TestDataPath(const char* name);
Bytes Md5Of(const Bytes& data);
// 00 01 FF... 00 || DigestInfo(MD5, digest): the block a valid signature recovers.
Bytes Pkcs1Block(const Bytes& digestInfo);
Bytes Md5DigestInfo(const Bytes& digest);
