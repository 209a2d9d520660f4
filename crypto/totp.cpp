#include "crypto/totp.h"

#include <string.h>

#include "crypto/hmac.h"

namespace {

HmacDigest DigestOf(TotpAlgorithm algorithm) {
  switch (algorithm) {
    case TotpAlgorithm::kSha256:
      return HmacDigest::kSha256;
    case TotpAlgorithm::kSha512:
      return HmacDigest::kSha512;
    case TotpAlgorithm::kSha1:
      break;
  }
  return HmacDigest::kSha1;
}

// HMAC of the 8-byte big-endian step counter; false when OpenSSL fails.
bool HmacOfCounter(const uint8_t* secret, size_t secretSize, TotpAlgorithm algorithm, uint64_t counter,
                   uint8_t mac[kHmacMaxSize], size_t& macSize) {
  uint8_t message[8];
  for (int i = 7; i >= 0; --i) {
    message[i] = static_cast<uint8_t>(counter);
    counter >>= 8;
  }
  bool ok = Hmac(DigestOf(algorithm), {secret, secretSize}, {message}, mac, &macSize);
  explicit_bzero(message, sizeof message);
  return ok;
}

// RFC 4226's dynamic truncation: 31 bits from where the last nibble points.
uint32_t Truncate(const uint8_t* mac, size_t macSize) {
  size_t offset = mac[macSize - 1] & 0x0f;
  return (static_cast<uint32_t>(mac[offset] & 0x7f) << 24) | (static_cast<uint32_t>(mac[offset + 1]) << 16) |
         (static_cast<uint32_t>(mac[offset + 2]) << 8) | mac[offset + 3];
}

void WriteDecimal(uint32_t value, int digits, char* text) {
  for (int i = digits - 1; i >= 0; --i) {
    text[i] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  text[digits] = '\0';
}

void WriteSteam(uint32_t value, char* text) {
  constexpr uint32_t kRadix = sizeof kSteamAlphabet - 1;
  for (int i = 0; i < kSteamCodeLength; ++i) {
    text[i] = kSteamAlphabet[value % kRadix];
    value /= kRadix;
  }
  text[kSteamCodeLength] = '\0';
}

}  // namespace

const char* ComputeTotp(const uint8_t* secret, size_t secretSize, const TotpParameters& parameters, int64_t unixTime,
                        TotpCode& code) {
  code = TotpCode{};
  TotpAlgorithm algorithm = parameters.steam ? TotpAlgorithm::kSha1 : parameters.algorithm;
  int period = parameters.steam ? kSteamPeriod : parameters.period;
  if (!parameters.steam && (parameters.digits < kTotpDigitsMin || parameters.digits > kTotpDigitsMax))
    return kTotpDigitsOutOfRangeMessage;
  if (period < kTotpPeriodMin || period > kTotpPeriodMax) return kTotpPeriodOutOfRangeMessage;
  if (secretSize == 0) return kTotpEmptySecretMessage;
  if (unixTime < 0) return kTotpTimeBefore1970Message;

  uint8_t mac[kHmacMaxSize];
  size_t macSize = 0;
  if (!HmacOfCounter(secret, secretSize, algorithm, static_cast<uint64_t>(unixTime / period), mac, macSize)) {
    explicit_bzero(mac, sizeof mac);
    return kTotpHmacFailedMessage;
  }
  uint32_t value = Truncate(mac, macSize);
  explicit_bzero(mac, sizeof mac);
  if (parameters.steam) {
    WriteSteam(value, code.text);
  } else {
    uint32_t modulus = 1;
    for (int i = 0; i < parameters.digits; ++i) modulus *= 10;
    WriteDecimal(value % modulus, parameters.digits, code.text);
  }
  explicit_bzero(&value, sizeof value);
  code.secondsLeft = period - static_cast<int>(unixTime % period);
  return nullptr;
}
