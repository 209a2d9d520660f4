#pragma once

#include <cstddef>
#include <cstdint>

// Time-based one-time codes (RFC 6238) and Steam Guard's variant of them.

enum class TotpAlgorithm { kSha1, kSha256, kSha512 };

inline constexpr int kTotpDigitsMin = 6;
inline constexpr int kTotpDigitsMax = 8;
inline constexpr int kTotpPeriodMin = 15;
inline constexpr int kTotpPeriodMax = 300;
inline constexpr int kTotpDefaultDigits = 6;
inline constexpr int kTotpDefaultPeriod = 30;

// Steam Guard: HMAC-SHA-1 over 30-second steps, the truncated value written
// as 5 characters of this alphabet, least significant first.
inline constexpr char kSteamAlphabet[] = "23456789BCDFGHJKMNPQRTVWXY";
inline constexpr int kSteamCodeLength = 5;
inline constexpr int kSteamPeriod = 30;

struct TotpParameters {
  TotpAlgorithm algorithm = TotpAlgorithm::kSha1;
  int digits = kTotpDefaultDigits;
  int period = kTotpDefaultPeriod;
  bool steam = false;  // then algorithm, digits and period are Steam's own

  bool operator==(const TotpParameters&) const = default;
};

struct TotpCode {
  char text[kTotpDigitsMax + 1] = {};  // NUL-terminated
  int secondsLeft = 0;                 // until the next code, 1 to period
};

inline constexpr char kTotpDigitsOutOfRangeMessage[] = "A one-time code has 6 to 8 digits.";
inline constexpr char kTotpPeriodOutOfRangeMessage[] = "A one-time code lasts 15 to 300 seconds.";
inline constexpr char kTotpEmptySecretMessage[] = "The one-time-code secret is empty.";
inline constexpr char kTotpTimeBefore1970Message[] = "The clock is set before 1970; no one-time code can be made.";
inline constexpr char kTotpHmacFailedMessage[] = "The one-time code could not be computed (HMAC failed).";

// The code of the step that holds unixTime (seconds since 1970, UTC).
// Null when made, else why not; code is cleared on failure.
const char* ComputeTotp(const uint8_t* secret, size_t secretSize, const TotpParameters& parameters, int64_t unixTime,
                        TotpCode& code);
