// quillbox-sign: the publisher's side of the update signature.
//
//   quillbox-sign keygen PRIVATE_KEY PUBLIC_KEY
//   quillbox-sign sign INSTALLER PRIVATE_KEY > update.sig
//   quillbox-sign verify SIG INSTALLER [--pubkey PUBLIC_KEY]

#include <unistd.h>

#include <openssl/evp.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/quillbox-sign/publisher_key.h"
#include "tools/quillbox-sign/signature_file.h"
#include "update/update_key.h"

namespace {

constexpr const char* kUsage =
    "usage: quillbox-sign keygen PRIVATE_KEY PUBLIC_KEY\n"
    "       quillbox-sign sign INSTALLER PRIVATE_KEY > update.sig\n"
    "       quillbox-sign verify SIG INSTALLER [--pubkey PUBLIC_KEY]\n";

bool ReadFile(const char* path, Bytes& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

int Fail(const char* what, const char* path) {
  std::fprintf(stderr, "quillbox-sign: %s: %s\n", what, path);
  return 1;
}

int KeyGen(const char* privatePath, const char* publicPath) {
  EVP_PKEY* key = GeneratePublisherKey();
  if (key == nullptr) return Fail("cannot generate", "RSA key");
  int status = 0;
  if (!WritePrivateKeyFile(privatePath, key)) {
    status = Fail("cannot create (it must not exist yet)", privatePath);
  } else if (!WritePublicKeyFile(publicPath, key)) {
    status = Fail("cannot write", publicPath);
  } else {
    // The source that embeds this public key in a build of Quillbox.
    std::fputs(FormatEmbeddedKeySource(key).c_str(), stdout);
  }
  EVP_PKEY_free(key);
  return status;
}

int Sign(const char* installerPath, const char* privatePath) {
  if (isatty(STDOUT_FILENO)) return Fail("refusing to write binary output to", "a terminal");
  Bytes installer;
  if (!ReadFile(installerPath, installer)) return Fail("cannot read", installerPath);
  EVP_PKEY* key = ReadPrivateKeyFile(privatePath);
  if (key == nullptr) return Fail("no private key in", privatePath);
  const Bytes file = MakeSignatureFile(installer, key);
  EVP_PKEY_free(key);
  if (file.empty()) return Fail("cannot sign with (RSA-1024, exponent below 256 required)", privatePath);
  if (std::fwrite(file.data(), 1, file.size(), stdout) != file.size() || std::fflush(stdout) != 0) {
    return Fail("cannot write", "standard output");
  }
  return 0;
}

int Verify(const char* signaturePath, const char* installerPath, const char* publicPath) {
  Bytes signatureFile, installer;
  if (!ReadFile(signaturePath, signatureFile)) return Fail("cannot read", signaturePath);
  if (!ReadFile(installerPath, installer)) return Fail("cannot read", installerPath);
  Bytes modulus(kUpdateKeyModulus, kUpdateKeyModulus + kUpdateKeyModulusSize);
  Bytes exponent(kUpdateKeyExponent, kUpdateKeyExponent + kUpdateKeyExponentSize);
  if (publicPath != nullptr) {
    EVP_PKEY* key = ReadPublicKeyFile(publicPath);
    const bool usable = GetRsaPublicParts(key, modulus, exponent);
    EVP_PKEY_free(key);
    if (!usable) return Fail("no RSA public key in", publicPath);
  }
  switch (CheckSignatureFile(signatureFile, installer, modulus, exponent)) {
    case SignatureCheck::Valid:
      std::puts("signature OK");
      return 0;
    case SignatureCheck::BadSignature:
      return Fail("signature does not verify", signaturePath);
    case SignatureCheck::DigestMismatch:
      return Fail("signed digest is not the installer's", installerPath);
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "keygen" && argc == 4) return KeyGen(argv[2], argv[3]);
  if (command == "sign" && argc == 4) return Sign(argv[2], argv[3]);
  if (command == "verify" && argc == 4) return Verify(argv[2], argv[3], nullptr);
  if (command == "verify" && argc == 6 && std::strcmp(argv[4], "--pubkey") == 0) {
    return Verify(argv[2], argv[3], argv[5]);
  }
  std::fputs(kUsage, stderr);
  return 2;
}
