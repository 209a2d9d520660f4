#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "core/secret_text.h"
#include "safe/entry.h"

// The fields KeePass-family programs keep a one-time code in, mapped to and
// from our otpauth://totp/ URI:
//   otp                         KeePassXC: an otpauth URI (or a bare secret);
//                               KeeOTP: key=SECRET&step=30&size=6&otpHashMode=Sha1
//                               [&type=Totp][&encoding=Base32|Base64|Hex|UTF8]
//   TimeOtp-Secret-Base32, TimeOtp-Secret, TimeOtp-Secret-Hex,
//   TimeOtp-Secret-Base64, TimeOtp-Length, TimeOtp-Period,
//   TimeOtp-Algorithm           KeePass 2.47 and later
//   TOTP Seed, TOTP Settings    KeeTrayTOTP and older KeePassXC ("30;6",
//                               "30;S" for Steam)

inline constexpr char kKeePassOtpSecretNotHexMessage[] = "TimeOtp-Secret-Hex is not hexadecimal.";
inline constexpr char kKeePassOtpSecretNotBase64Message[] = "TimeOtp-Secret-Base64 is not base64.";
inline constexpr char kKeePassOtpUnknownAlgorithmMessage[] =
    "TimeOtp-Algorithm must be HMAC-SHA-1, HMAC-SHA-256 or HMAC-SHA-512.";
inline constexpr char kKeeOtpTypeUnknownMessage[] = "The otp field's type must be Totp.";
inline constexpr char kKeeOtpEncodingUnknownMessage[] = "The otp field's encoding must be Base32, Base64, Hex or UTF8.";
inline constexpr char kKeePassOtpSettingsInvalidMessage[] =
    "TOTP Settings must read period;digits (such as 30;6) or period;S for Steam.";

// A field that holds a one-time code or its settings, so an importer keeps
// it as the code and not as a custom field.
bool IsKeePassOneTimeCodeField(std::string_view name);

// The canonical URI of the code an entry's fields describe; uri is empty
// when they hold none. When several forms are present, otp wins, then
// TimeOtp-*, then TOTP Seed. Null when read, else what is wrong.
const char* OneTimeCodeFromKeePassFields(std::span<const CustomField> fields, SecretText& uri);

// The fields that carry uri's code, secrets protected: TimeOtp-* always
// but for Steam, which they cannot express; TOTP Seed and TOTP Settings
// when those say the same code (SHA-1, or Steam). Null when made.
const char* KeePassOneTimeCodeFields(std::string_view uri, std::vector<CustomField>& fields);
