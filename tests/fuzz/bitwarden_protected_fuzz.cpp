// Bitwarden's password-protected export, two ways. The input read as an
// envelope (with the fuzz password): reading never crashes, and the input's
// own key derivation is run only when it is cheap. The input sealed here as
// an envelope's data (cipher strings made with OpenSSL from the format's
// description): it opens to what was sealed, reads as the plain export
// reads, and any changed byte of a cipher string keeps it shut.
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sodium.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "interchange/bitwarden_cipher_string.h"
#include "interchange/bitwarden_json.h"
#include "interchange/import_plan.h"

namespace {

constexpr char kPassword[] = "fuzz-password";  // a test password, nothing else
constexpr char kSalt[] = "fuzz-salt";

void Require(bool condition) {
  if (!condition) std::abort();
}

const BitwardenKeys& Keys() {
  static BitwardenKeys keys;
  static bool derived = [] {
    Require(sodium_init() >= 0);
    BitwardenKdf kdf;
    kdf.iterations = 1;
    std::string error;
    return DeriveBitwardenKeys(kPassword, kSalt, kdf, &keys, &error);
  }();
  Require(derived);
  return keys;
}

std::string Base64(const uint8_t* bytes, size_t size) {
  std::string text(sodium_base64_ENCODED_LEN(size, sodium_base64_VARIANT_ORIGINAL), '\0');
  sodium_bin2base64(text.data(), text.size(), bytes, size, sodium_base64_VARIANT_ORIGINAL);
  text.pop_back();  // its NUL
  return text;
}

// "2.<iv>|<ciphertext>|<mac>": AES-256-CBC with PKCS#7 padding, then
// HMAC-SHA256 over iv and ciphertext.
std::string Seal(std::string_view plain, const BitwardenKeys& keys) {
  uint8_t iv[16];
  randombytes_buf(iv, sizeof iv);
  std::vector<uint8_t> ciphertext(plain.size() + 16);
  int written = 0, last = 0;
  EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
  Require(context != nullptr && EVP_EncryptInit_ex(context, EVP_aes_256_cbc(), nullptr, keys.enc, iv) == 1 &&
          EVP_EncryptUpdate(context, ciphertext.data(), &written, reinterpret_cast<const uint8_t*>(plain.data()),
                            static_cast<int>(plain.size())) == 1 &&
          EVP_EncryptFinal_ex(context, ciphertext.data() + written, &last) == 1);
  EVP_CIPHER_CTX_free(context);
  ciphertext.resize(static_cast<size_t>(written + last));
  std::vector<uint8_t> signed_bytes(iv, iv + sizeof iv);
  signed_bytes.insert(signed_bytes.end(), ciphertext.begin(), ciphertext.end());
  uint8_t mac[32];
  unsigned mac_size = 0;
  Require(HMAC(EVP_sha256(), keys.mac, BitwardenKeys::kSize, signed_bytes.data(), signed_bytes.size(), mac,
               &mac_size) != nullptr);
  return "2." + Base64(iv, sizeof iv) + "|" + Base64(ciphertext.data(), ciphertext.size()) + "|" + Base64(mac, 32);
}

// What a plan made of a file's records shows of them.
struct Read {
  bool ok;
  std::string error;
  std::vector<std::string> entries;
};

template <class ReadFile>
Read ReadInto(ReadFile read_file) {
  ImportPlan plan(SafeFormat::kStrong);
  ForeignFile file(&plan);
  Read read;
  read.ok = read_file(&file, &read.error);
  for (const Entry& entry : plan.Entries()) {
    read.entries.push_back(std::string(entry.title.view()) + "\t" + std::string(entry.userName.view()) + "\t" +
                           std::string(entry.password.view()) + "\t" + std::string(entry.notes.view()) + "\t" +
                           std::string(entry.totp.view()));
  }
  return read;
}

bool operator==(const Read& a, const Read& b) { return a.ok == b.ok && a.error == b.error && a.entries == b.entries; }

// An envelope whose key derivation costs next to nothing: the fuzzer would
// otherwise choose minutes of PBKDF2 or gigabytes of Argon2id.
bool IsCheap(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  nlohmann::json envelope = nlohmann::json::parse(text.begin(), text.end(), nullptr, false);
  if (!envelope.is_object()) return true;
  for (const char* name : {"kdfIterations", "kdfMemory", "kdfParallelism"}) {
    auto found = envelope.find(name);
    if (found != envelope.end() && found->is_number_integer() && found->get<int64_t>() > 2) return false;
  }
  return true;
}

void CheckSealed(std::string_view text) {
  const BitwardenKeys& keys = Keys();
  std::string sealed = Seal(text, keys);
  WipingString plain;
  Require(OpenCipherString(sealed, keys, &plain) == CipherStringResult::kOpened);
  Require(std::string_view(plain.data(), plain.size()) == text);

  // One changed byte, at a place the input picks.
  std::string changed = sealed;
  size_t at = 2 + (text.empty() ? 0 : static_cast<unsigned char>(text[0])) % (changed.size() - 2);
  changed[at] = changed[at] == 'A' ? 'B' : 'A';
  Require(OpenCipherString(changed, keys, &plain) != CipherStringResult::kOpened);

  nlohmann::json envelope = {{"encrypted", true},
                             {"passwordProtected", true},
                             {"salt", kSalt},
                             {"kdfType", 0},
                             {"kdfIterations", 1},
                             {"kdfMemory", nullptr},
                             {"kdfParallelism", nullptr},
                             {"encKeyValidation_DO_NOT_EDIT", Seal("validation", keys)},
                             {"data", sealed}};
  std::string protected_text = envelope.dump();
  FileKey key{SecretText(kPassword), std::nullopt};
  Read opened = ReadInto([&](ForeignFile* file, std::string* error) {
    return ReadProtectedBitwardenJson(protected_text, key, file, error);
  });
  Read direct = ReadInto([&](ForeignFile* file, std::string* error) { return ReadBitwardenJson(text, file, error); });
  Require(opened == direct);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  if (IsCheap(text)) {
    FileKey key{SecretText(kPassword), std::nullopt};
    Read read = ReadInto(
        [&](ForeignFile* file, std::string* error) { return ReadProtectedBitwardenJson(text, key, file, error); });
    Require(read.ok || (!read.error.empty() && read.error.find('\n') == std::string::npos));
  }
  WipingString plain;
  OpenCipherString(text, Keys(), &plain);
  CheckSealed(text);
  return 0;
}
