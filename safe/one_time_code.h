#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/secret_text.h"
#include "core/wiping_allocator.h"
#include "crypto/totp.h"

// An entry keeps its one-time-code secret as an otpauth://totp/ URI. The
// canonical form, which every URI this program writes has:
//
//   otpauth://totp/LABEL?secret=BASE32[&issuer=ISSUER][&algorithm=SHA256|SHA512]
//                       [&digits=7|8][&period=N][&encoder=steam]
//
// LABEL and ISSUER percent-encoded (the label keeps ':' and '@'), BASE32 in
// upper case without padding, and each parameter left out when it has its
// default (SHA1, 6 digits, 30 s); a Steam URI carries no algorithm, digits
// or period, which are Steam's own. A bare secret gives an empty label:
// otpauth://totp/?secret=BASE32.
//
// The label and issuer hold no NUL, as no entry field can: a URI that gives
// one is refused, and settings that hold one are never written.

struct OneTimeCodeSettings {
  WipingBytes secret;
  TotpParameters parameters;
  SecretText label;   // decoded, often "Issuer:account"
  SecretText issuer;  // decoded
};

inline constexpr char kOtpNotUriMessage[] = "This is not an otpauth://totp/ URI.";
inline constexpr char kOtpHotpNotSupportedMessage[] =
    "Counter-based codes (otpauth://hotp/) are not supported, only time-based ones (otpauth://totp/).";
inline constexpr char kOtpBrokenEscapeMessage[] = "The otpauth URI has a broken % escape.";
inline constexpr char kOtpConflictingParameterMessage[] =
    "The one-time code gives the same parameter twice with different values.";
inline constexpr char kOtpTextHasNulMessage[] = "The one-time code's label or issuer holds a NUL character.";
inline constexpr char kOtpSecretMissingMessage[] = "The otpauth URI has no secret.";
inline constexpr char kOtpSecretNotBase32Message[] =
    "The one-time-code secret is not base32 (letters A-Z and digits 2-7).";
inline constexpr char kOtpUnknownAlgorithmMessage[] = "The one-time-code algorithm must be SHA1, SHA256 or SHA512.";
inline constexpr char kOtpUnknownEncoderMessage[] = "The only one-time-code encoder known is steam.";
inline constexpr char kOtpInputInvalidMessage[] =
    "Paste an otpauth://totp/ URI or a base32 secret (letters A-Z and digits 2-7).";

// Reads an otpauth://totp/ URI: parameters in any order, names and the
// algorithm in any case, unknown parameters ignored, a repeat that agrees
// accepted. Null when it can make codes, else what is wrong.
const char* ParseOneTimeCodeUri(std::string_view uri, OneTimeCodeSettings& settings);

// The canonical URI of settings; null when written, else what is wrong
// (and uri empty).
const char* FormatOneTimeCodeUri(const OneTimeCodeSettings& settings, SecretText& uri);

// One parameter of a query of name=value pairs joined by '&'.
struct OtpQueryParameter {
  std::string_view name;
  SecretText value;  // percent-decoded
  bool seen = false;
};

// Reads query into the parameters it names (names in any case), skipping
// any other. A parameter given twice must give the same value both times.
// Null when read, else what is wrong.
const char* ReadOtpQuery(std::string_view query, std::span<OtpQueryParameter> parameters);

// What the user pastes: an otpauth://totp/ URI or a bare base32 secret
// (spaces and lower case accepted, padding optional), turned into the
// canonical URI. Blank input means no one-time code: uri empty, no error.
const char* NormalizeOneTimeCodeInput(std::string_view text, SecretText& uri);

// The code for unixTime and the seconds it has left, or why there is none.
const char* CurrentOneTimeCode(std::string_view uri, int64_t unixTime, TotpCode& code);

// A digit count of 6 to 8 or a period of 15 to 300 s written as a plain
// decimal number; null when it is one, else the message.
const char* ParseTotpDigits(std::string_view text, int& digits);
const char* ParseTotpPeriod(std::string_view text, int& period);

// Parameter names and their keywords compare in ASCII case only.
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// "SHA1", "SHA256" or "SHA512" in any case; false for anything else.
bool ParseTotpAlgorithmName(std::string_view name, TotpAlgorithm& algorithm);
