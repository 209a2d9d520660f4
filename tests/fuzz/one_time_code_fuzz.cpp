// One-time-code text in, read three ways: as what a user pastes (an
// otpauth URI or a bare secret), as the fields of a KeePass-family entry
// (one line a field, its first byte picking the name), and as base32.
// Whatever is accepted is canonical: it formats back to itself, it makes a
// code, and the KeePass fields written for it give the same code.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/base32.h"
#include "interchange/keepass_one_time_code.h"
#include "safe/one_time_code.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

constexpr int64_t kTimes[] = {0, 59, 1111111109, 4102444800};

void RequireSameCodes(std::string_view a, std::string_view b) {
  for (int64_t time : kTimes) {
    TotpCode first, second;
    Require(CurrentOneTimeCode(a, time, first) == nullptr);
    Require(CurrentOneTimeCode(b, time, second) == nullptr);
    Require(std::strcmp(first.text, second.text) == 0 && first.secondsLeft == second.secondsLeft);
  }
}

void RequireCanonical(std::string_view uri) {
  SecretText again;
  Require(NormalizeOneTimeCodeInput(uri, again) == nullptr && again.view() == uri);
  OneTimeCodeSettings settings;
  Require(ParseOneTimeCodeUri(uri, settings) == nullptr);
  Require(FormatOneTimeCodeUri(settings, again) == nullptr && again.view() == uri);
  Require(uri.find('\0') == std::string_view::npos);

  std::vector<CustomField> fields;
  Require(KeePassOneTimeCodeFields(uri, fields) == nullptr);
  SecretText back;
  Require(OneTimeCodeFromKeePassFields(fields, back) == nullptr);
  RequireSameCodes(uri, back.view());
}

void CheckPasted(std::string_view text) {
  SecretText uri;
  if (NormalizeOneTimeCodeInput(text, uri) != nullptr) {
    Require(uri.empty());
    return;
  }
  if (!uri.empty()) RequireCanonical(uri.view());
}

void CheckKeePassFields(std::string_view text) {
  static constexpr const char* kNames[] = {"otp",
                                           "TimeOtp-Secret-Base32",
                                           "TimeOtp-Secret",
                                           "TimeOtp-Secret-Hex",
                                           "TimeOtp-Secret-Base64",
                                           "TimeOtp-Length",
                                           "TimeOtp-Period",
                                           "TimeOtp-Algorithm",
                                           "TOTP Seed",
                                           "TOTP Settings"};
  std::vector<CustomField> fields;
  while (!text.empty()) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.empty()) continue;
    CustomField& field = fields.emplace_back();
    field.name = kNames[static_cast<unsigned char>(line[0]) % std::size(kNames)];
    field.value = line.substr(1);
  }
  SecretText uri;
  if (OneTimeCodeFromKeePassFields(fields, uri) != nullptr) {
    Require(uri.empty());
    return;
  }
  if (!uri.empty()) RequireCanonical(uri.view());
}

void CheckBase32(std::string_view text) {
  WipingBytes bytes;
  if (!DecodeBase32(text, bytes)) {
    Require(bytes.empty());
    return;
  }
  SecretText encoded = EncodeBase32(bytes.data(), bytes.size());
  WipingBytes again;
  Require(DecodeBase32(encoded.view(), again) && again == bytes);
  Require(encoded.size() == (bytes.size() * 8 + 4) / 5);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckPasted(text);
  CheckKeePassFields(text);
  CheckBase32(text);
  return 0;
}
