#include "interchange/keepass_one_time_code.h"

#include <sodium.h>

#include <string>

#include "core/base32.h"
#include "safe/one_time_code.h"

namespace {

constexpr std::string_view kOtp = "otp";
constexpr std::string_view kTimeOtpBase32 = "TimeOtp-Secret-Base32";
constexpr std::string_view kTimeOtpText = "TimeOtp-Secret";
constexpr std::string_view kTimeOtpHex = "TimeOtp-Secret-Hex";
constexpr std::string_view kTimeOtpBase64 = "TimeOtp-Secret-Base64";
constexpr std::string_view kTimeOtpLength = "TimeOtp-Length";
constexpr std::string_view kTimeOtpPeriod = "TimeOtp-Period";
constexpr std::string_view kTimeOtpAlgorithm = "TimeOtp-Algorithm";
constexpr std::string_view kTotpSeed = "TOTP Seed";
constexpr std::string_view kTotpSettings = "TOTP Settings";
constexpr std::string_view kSteamShortName = "S";

struct AlgorithmName {
  TotpAlgorithm algorithm;
  std::string_view timeOtp;
};
constexpr AlgorithmName kTimeOtpAlgorithms[] = {
    {TotpAlgorithm::kSha1, "HMAC-SHA-1"},
    {TotpAlgorithm::kSha256, "HMAC-SHA-256"},
    {TotpAlgorithm::kSha512, "HMAC-SHA-512"},
};

const CustomField* FindField(std::span<const CustomField> fields, std::string_view name) {
  for (const CustomField& field : fields) {
    if (field.name.view() == name) return &field;
  }
  return nullptr;
}

std::string_view FieldValue(std::span<const CustomField> fields, std::string_view name) {
  const CustomField* field = FindField(fields, name);
  return field != nullptr ? field->value.view() : std::string_view();
}

std::string_view TrimBlanks(std::string_view text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") + 1 - first);
}

enum class SecretEncoding { kBase32, kText, kHex, kBase64 };

bool DecodeWithSodium(std::string_view text, bool base64, WipingBytes& out) {
  out.clear();
  // A blank field leaves no buffer, and libsodium takes no null pointer.
  if (text.empty()) return false;
  out.assign(text.size(), 0);
  size_t size = 0;
  int result = base64 ? sodium_base642bin(out.data(), out.size(), text.data(), text.size(), " \r\n", &size, nullptr,
                                          sodium_base64_VARIANT_ORIGINAL)
                      : sodium_hex2bin(out.data(), out.size(), text.data(), text.size(), " ", &size, nullptr);
  sodium_memzero(out.data() + size, out.size() - size);
  out.resize(result == 0 ? size : 0);
  return !out.empty();
}

const char* DecodeSecret(std::string_view text, SecretEncoding encoding, WipingBytes& secret) {
  switch (encoding) {
    case SecretEncoding::kBase32:
      return DecodeBase32(TrimBlanks(text), secret) && !secret.empty() ? nullptr : kOtpSecretNotBase32Message;
    case SecretEncoding::kHex:
      return DecodeWithSodium(TrimBlanks(text), false, secret) ? nullptr : kKeePassOtpSecretNotHexMessage;
    case SecretEncoding::kBase64:
      return DecodeWithSodium(TrimBlanks(text), true, secret) ? nullptr : kKeePassOtpSecretNotBase64Message;
    case SecretEncoding::kText:  // the UTF-8 bytes are the key
      secret.assign(text.begin(), text.end());
      return secret.empty() ? kTotpEmptySecretMessage : nullptr;
  }
  return kTotpEmptySecretMessage;
}

const char* ReadTimeOtpSecret(std::span<const CustomField> fields, WipingBytes& secret) {
  for (auto [name, encoding] :
       {std::pair{kTimeOtpBase32, SecretEncoding::kBase32}, std::pair{kTimeOtpHex, SecretEncoding::kHex},
        std::pair{kTimeOtpBase64, SecretEncoding::kBase64}}) {
    if (const CustomField* field = FindField(fields, name)) return DecodeSecret(field->value.view(), encoding, secret);
  }
  return DecodeSecret(FieldValue(fields, kTimeOtpText), SecretEncoding::kText, secret);
}

// KeeOTP's query; names and values in any case, as .NET's parsing of it.
const char* ReadKeeOtp(std::string_view text, OneTimeCodeSettings& settings) {
  enum { kKey, kType, kStep, kSize, kHashMode, kEncoding, kCount };
  OtpQueryParameter parameters[kCount] = {{"key", {}},  {"type", {}},        {"step", {}},
                                          {"size", {}}, {"otpHashMode", {}}, {"encoding", {}}};
  if (const char* error = ReadOtpQuery(text, parameters)) return error;
  auto value = [&](int index) { return TrimBlanks(parameters[index].value.view()); };
  auto is = [&](int index, std::string_view name) { return EqualsIgnoringCase(value(index), name); };

  if (parameters[kType].seen && !is(kType, "Totp")) {
    return is(kType, "Hotp") ? kOtpHotpNotSupportedMessage : kKeeOtpTypeUnknownMessage;
  }
  SecretEncoding encoding = SecretEncoding::kBase32;
  if (parameters[kEncoding].seen) {
    if (is(kEncoding, "Base64")) {
      encoding = SecretEncoding::kBase64;
    } else if (is(kEncoding, "Hex")) {
      encoding = SecretEncoding::kHex;
    } else if (is(kEncoding, "UTF8")) {
      encoding = SecretEncoding::kText;
    } else if (!is(kEncoding, "Base32")) {
      return kKeeOtpEncodingUnknownMessage;
    }
  }
  if (!parameters[kKey].seen || parameters[kKey].value.empty()) return kOtpSecretMissingMessage;
  if (const char* error = DecodeSecret(parameters[kKey].value.view(), encoding, settings.secret)) return error;
  TotpParameters& totp = settings.parameters;
  if (parameters[kStep].seen) {
    if (const char* error = ParseTotpPeriod(value(kStep), totp.period)) return error;
  }
  if (parameters[kSize].seen) {
    if (const char* error = ParseTotpDigits(value(kSize), totp.digits)) return error;
  }
  if (parameters[kHashMode].seen && !ParseTotpAlgorithmName(value(kHashMode), totp.algorithm))
    return kOtpUnknownAlgorithmMessage;
  return nullptr;
}

// KeeOTP's text names a key, which no bare base32 secret can; an otpauth
// URI may carry a key parameter of its own.
bool IsKeeOtpText(std::string_view text) {
  bool uri = text.size() >= 8 && EqualsIgnoringCase(text.substr(0, 8), "otpauth:");
  return !uri && (text.starts_with("key=") || text.find("&key=") != text.npos);
}

const char* ReadTimeOtp(std::span<const CustomField> fields, OneTimeCodeSettings& settings) {
  if (const char* error = ReadTimeOtpSecret(fields, settings.secret)) return error;
  TotpParameters& parameters = settings.parameters;
  if (const CustomField* length = FindField(fields, kTimeOtpLength)) {
    if (const char* error = ParseTotpDigits(TrimBlanks(length->value.view()), parameters.digits)) return error;
  }
  if (const CustomField* period = FindField(fields, kTimeOtpPeriod)) {
    if (const char* error = ParseTotpPeriod(TrimBlanks(period->value.view()), parameters.period)) return error;
  }
  if (const CustomField* algorithm = FindField(fields, kTimeOtpAlgorithm)) {
    std::string_view name = TrimBlanks(algorithm->value.view());
    for (const AlgorithmName& known : kTimeOtpAlgorithms) {
      if (name == known.timeOtp) {
        parameters.algorithm = known.algorithm;
        return nullptr;
      }
    }
    return kKeePassOtpUnknownAlgorithmMessage;
  }
  return nullptr;
}

// "period;digits" or "period;S"; a third part is either an algorithm or
// KeeTrayTOTP's time-correction URL, which we have no use for.
const char* ReadTotpSettings(std::string_view text, TotpParameters& parameters) {
  text = TrimBlanks(text);
  if (text.empty()) return nullptr;
  size_t first = text.find(';');
  if (first == std::string_view::npos) return kKeePassOtpSettingsInvalidMessage;
  std::string_view rest = text.substr(first + 1);
  size_t second = rest.find(';');
  std::string_view length = rest.substr(0, second);
  std::string_view extra = second == std::string_view::npos ? std::string_view() : TrimBlanks(rest.substr(second + 1));

  if (TrimBlanks(length) == kSteamShortName) {
    parameters.steam = true;
    return nullptr;
  }
  if (const char* error = ParseTotpPeriod(TrimBlanks(text.substr(0, first)), parameters.period)) return error;
  if (const char* error = ParseTotpDigits(TrimBlanks(length), parameters.digits)) return error;
  if (!extra.empty() && extra.find("://") == std::string_view::npos &&
      !ParseTotpAlgorithmName(extra, parameters.algorithm))
    return kOtpUnknownAlgorithmMessage;
  return nullptr;
}

const char* ReadTotpSeed(std::span<const CustomField> fields, OneTimeCodeSettings& settings) {
  if (!DecodeBase32(TrimBlanks(FieldValue(fields, kTotpSeed)), settings.secret) || settings.secret.empty())
    return kOtpSecretNotBase32Message;
  return ReadTotpSettings(FieldValue(fields, kTotpSettings), settings.parameters);
}

void AddField(std::vector<CustomField>& fields, std::string_view name, std::string_view value, bool isProtected) {
  CustomField& field = fields.emplace_back();
  field.name = name;
  field.value = value;
  field.isProtected = isProtected;
}

}  // namespace

bool IsKeePassOneTimeCodeField(std::string_view name) {
  for (std::string_view known : {kOtp, kTimeOtpBase32, kTimeOtpText, kTimeOtpHex, kTimeOtpBase64, kTimeOtpLength,
                                 kTimeOtpPeriod, kTimeOtpAlgorithm, kTotpSeed, kTotpSettings}) {
    if (name == known) return true;
  }
  return false;
}

const char* OneTimeCodeFromKeePassFields(std::span<const CustomField> fields, SecretText& uri) {
  uri.Wipe();
  OneTimeCodeSettings settings;
  const char* error = nullptr;
  std::string_view otp = TrimBlanks(FieldValue(fields, kOtp));
  if (IsKeeOtpText(otp)) {
    error = ReadKeeOtp(otp, settings);
    return error != nullptr ? error : FormatOneTimeCodeUri(settings, uri);
  }
  if (!otp.empty()) return NormalizeOneTimeCodeInput(otp, uri);

  bool hasTimeOtp = FindField(fields, kTimeOtpBase32) || FindField(fields, kTimeOtpText) ||
                    FindField(fields, kTimeOtpHex) || FindField(fields, kTimeOtpBase64);
  if (hasTimeOtp) {
    error = ReadTimeOtp(fields, settings);
  } else if (FindField(fields, kTotpSeed) != nullptr) {
    error = ReadTotpSeed(fields, settings);
  } else {
    return nullptr;
  }
  return error != nullptr ? error : FormatOneTimeCodeUri(settings, uri);
}

const char* KeePassOneTimeCodeFields(std::string_view uri, std::vector<CustomField>& fields) {
  fields.clear();
  OneTimeCodeSettings settings;
  if (const char* error = ParseOneTimeCodeUri(uri, settings)) return error;
  SecretText base32 = EncodeBase32(settings.secret.data(), settings.secret.size());
  const TotpParameters& parameters = settings.parameters;
  if (parameters.steam) {
    AddField(fields, kTotpSeed, base32.view(), true);
    AddField(fields, kTotpSettings, std::to_string(kSteamPeriod) + ";" + std::string(kSteamShortName), false);
    return nullptr;
  }
  AddField(fields, kTimeOtpBase32, base32.view(), true);
  AddField(fields, kTimeOtpLength, std::to_string(parameters.digits), false);
  AddField(fields, kTimeOtpPeriod, std::to_string(parameters.period), false);
  for (const AlgorithmName& known : kTimeOtpAlgorithms) {
    if (known.algorithm == parameters.algorithm) AddField(fields, kTimeOtpAlgorithm, known.timeOtp, false);
  }
  if (parameters.algorithm == TotpAlgorithm::kSha1) {
    AddField(fields, kTotpSeed, base32.view(), true);
    AddField(fields, kTotpSettings, std::to_string(parameters.period) + ";" + std::to_string(parameters.digits), false);
  }
  return nullptr;
}
