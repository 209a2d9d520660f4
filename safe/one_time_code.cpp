#include "safe/one_time_code.h"

#include <charconv>
#include <string>

#include "core/base32.h"
#include "core/percent_encoding.h"

namespace {

constexpr std::string_view kScheme = "otpauth://";
constexpr std::string_view kBlank = " \t\r\n";

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// A decimal number of at most 3 digits, no sign; -1 otherwise.
int SmallNumber(std::string_view text) {
  int value = -1;
  if (text.empty() || text.size() > 3) return -1;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : -1;
}

enum UriParameter { kSecret, kIssuer, kAlgorithm, kDigits, kPeriod, kEncoder, kUriParameterCount };

using UriParameters = OtpQueryParameter[kUriParameterCount];

bool HoldsNul(const SecretText& text) { return text.view().find('\0') != std::string_view::npos; }

const char* ApplyParameters(const UriParameters& parameters, OneTimeCodeSettings& settings) {
  auto value = [&](UriParameter index) { return parameters[index].value.view(); };
  if (value(kSecret).empty()) return kOtpSecretMissingMessage;
  if (!DecodeBase32(value(kSecret), settings.secret) || settings.secret.empty()) return kOtpSecretNotBase32Message;
  settings.issuer = value(kIssuer);
  TotpParameters& totp = settings.parameters;
  if (!value(kEncoder).empty()) {
    if (!EqualsIgnoringCase(value(kEncoder), "steam")) return kOtpUnknownEncoderMessage;
    // Steam's codes have their own algorithm, length and period; others
    // write digits=5 or 6 beside the encoder, so those are not checked.
    totp.steam = true;
    return nullptr;
  }
  if (parameters[kAlgorithm].seen && !ParseTotpAlgorithmName(value(kAlgorithm), totp.algorithm))
    return kOtpUnknownAlgorithmMessage;
  if (parameters[kDigits].seen) {
    if (const char* error = ParseTotpDigits(value(kDigits), totp.digits)) return error;
  }
  if (!parameters[kPeriod].seen) return nullptr;
  return ParseTotpPeriod(value(kPeriod), totp.period);
}

void AppendParameter(SecretText& uri, std::string_view name, std::string_view value) {
  uri.Append("&");
  uri.Append(name);
  uri.Append("=");
  uri.Append(value);
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] + 32) : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] + 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

const char* ReadOtpQuery(std::string_view query, std::span<OtpQueryParameter> parameters) {
  SecretText decoded;
  while (!query.empty()) {
    size_t end = query.find('&');
    std::string_view pair = query.substr(0, end);
    query = end == std::string_view::npos ? std::string_view() : query.substr(end + 1);
    size_t equals = pair.find('=');
    std::string_view name = pair.substr(0, equals);
    std::string_view value = equals == std::string_view::npos ? std::string_view() : pair.substr(equals + 1);
    for (OtpQueryParameter& parameter : parameters) {
      if (!EqualsIgnoringCase(name, parameter.name)) continue;
      if (!PercentDecode(value, decoded)) return kOtpBrokenEscapeMessage;
      if (parameter.seen && decoded != parameter.value) return kOtpConflictingParameterMessage;
      parameter.seen = true;
      parameter.value = decoded;
    }
  }
  return nullptr;
}

const char* ParseTotpDigits(std::string_view text, int& digits) {
  digits = SmallNumber(text);
  return digits >= kTotpDigitsMin && digits <= kTotpDigitsMax ? nullptr : kTotpDigitsOutOfRangeMessage;
}

const char* ParseTotpPeriod(std::string_view text, int& period) {
  period = SmallNumber(text);
  return period >= kTotpPeriodMin && period <= kTotpPeriodMax ? nullptr : kTotpPeriodOutOfRangeMessage;
}

bool ParseTotpAlgorithmName(std::string_view name, TotpAlgorithm& algorithm) {
  if (EqualsIgnoringCase(name, "SHA1")) {
    algorithm = TotpAlgorithm::kSha1;
  } else if (EqualsIgnoringCase(name, "SHA256")) {
    algorithm = TotpAlgorithm::kSha256;
  } else if (EqualsIgnoringCase(name, "SHA512")) {
    algorithm = TotpAlgorithm::kSha512;
  } else {
    return false;
  }
  return true;
}

const char* ParseOneTimeCodeUri(std::string_view uri, OneTimeCodeSettings& settings) {
  settings = OneTimeCodeSettings{};
  if (!StartsWithIgnoringCase(uri, kScheme)) return kOtpNotUriMessage;
  std::string_view rest = uri.substr(kScheme.size());
  size_t typeEnd = rest.find_first_of("/?");
  std::string_view type = rest.substr(0, typeEnd);
  if (EqualsIgnoringCase(type, "hotp")) return kOtpHotpNotSupportedMessage;
  if (!EqualsIgnoringCase(type, "totp")) return kOtpNotUriMessage;
  rest = typeEnd == std::string_view::npos ? std::string_view() : rest.substr(typeEnd);

  size_t queryStart = rest.find('?');
  std::string_view label = rest.substr(0, queryStart);
  if (!label.empty()) label.remove_prefix(1);  // the '/'
  std::string_view query = queryStart == std::string_view::npos ? std::string_view() : rest.substr(queryStart + 1);
  query = query.substr(0, query.find('#'));

  UriParameters parameters = {{"secret", {}}, {"issuer", {}}, {"algorithm", {}},
                              {"digits", {}}, {"period", {}}, {"encoder", {}}};
  const char* error = PercentDecode(label, settings.label) ? ReadOtpQuery(query, parameters) : kOtpBrokenEscapeMessage;
  if (error == nullptr) error = ApplyParameters(parameters, settings);
  if (error == nullptr && (HoldsNul(settings.label) || HoldsNul(settings.issuer))) error = kOtpTextHasNulMessage;
  if (error != nullptr) settings = OneTimeCodeSettings{};
  return error;
}

const char* FormatOneTimeCodeUri(const OneTimeCodeSettings& settings, SecretText& uri) {
  uri.Wipe();
  if (HoldsNul(settings.label) || HoldsNul(settings.issuer)) return kOtpTextHasNulMessage;
  uri = "otpauth://totp/";
  SecretText encoded;
  PercentEncode(settings.label.view(), ":@", encoded);
  uri.Append(encoded.view());
  uri.Append("?secret=");
  uri.Append(EncodeBase32(settings.secret.data(), settings.secret.size()).view());
  if (!settings.issuer.empty()) {
    PercentEncode(settings.issuer.view(), "", encoded);
    AppendParameter(uri, "issuer", encoded.view());
  }
  const TotpParameters& totp = settings.parameters;
  if (totp.steam) {
    AppendParameter(uri, "encoder", "steam");
    return nullptr;
  }
  if (totp.algorithm == TotpAlgorithm::kSha256) AppendParameter(uri, "algorithm", "SHA256");
  if (totp.algorithm == TotpAlgorithm::kSha512) AppendParameter(uri, "algorithm", "SHA512");
  if (totp.digits != kTotpDefaultDigits) AppendParameter(uri, "digits", std::to_string(totp.digits));
  if (totp.period != kTotpDefaultPeriod) AppendParameter(uri, "period", std::to_string(totp.period));
  return nullptr;
}

const char* NormalizeOneTimeCodeInput(std::string_view text, SecretText& uri) {
  uri.Wipe();
  size_t first = text.find_first_not_of(kBlank);
  if (first == std::string_view::npos) return nullptr;
  text = text.substr(first, text.find_last_not_of(kBlank) + 1 - first);

  OneTimeCodeSettings settings;
  if (StartsWithIgnoringCase(text, "otpauth:")) {
    if (const char* error = ParseOneTimeCodeUri(text, settings)) return error;
  } else if (!DecodeBase32(text, settings.secret) || settings.secret.empty()) {
    return kOtpInputInvalidMessage;
  }
  return FormatOneTimeCodeUri(settings, uri);
}

const char* CurrentOneTimeCode(std::string_view uri, int64_t unixTime, TotpCode& code) {
  code = TotpCode{};
  OneTimeCodeSettings settings;
  if (const char* error = ParseOneTimeCodeUri(uri, settings)) return error;
  return ComputeTotp(settings.secret.data(), settings.secret.size(), settings.parameters, unixTime, code);
}
