#include "interchange/keepass_one_time_code.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "safe/one_time_code.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

std::vector<CustomField> Fields(const Pairs& pairs) {
  std::vector<CustomField> fields;
  for (const auto& [name, value] : pairs) {
    CustomField& field = fields.emplace_back();
    field.name = name;
    field.value = value;
  }
  return fields;
}

constexpr char kPlain[] = "otpauth://totp/?secret=JBSWY3DPEHPK3PXP";
// "12345678901234567890", RFC 6238's SHA-1 key, in each of KeePass's forms.
constexpr char kRfcKeyUri[] = "otpauth://totp/?secret=GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ";

struct ImportCase {
  Pairs fields;
  const char* uri;
  const char* error;
};

const ImportCase kImports[] = {
    // KeeTrayTOTP and older KeePassXC.
    {{{"TOTP Seed", "JBSWY3DPEHPK3PXP"}, {"TOTP Settings", "30;6"}}, kPlain, nullptr},
    {{{"TOTP Seed", "JBSWY3DPEHPK3PXP"}, {"TOTP Settings", "30;8"}},
     "otpauth://totp/?secret=JBSWY3DPEHPK3PXP&digits=8",
     nullptr},
    {{{"TOTP Seed", "jbsw y3dp ehpk 3pxp"}, {"TOTP Settings", "60;7"}},
     "otpauth://totp/?secret=JBSWY3DPEHPK3PXP&digits=7&period=60",
     nullptr},
    {{{"TOTP Seed", "JBSWY3DPEHPK3PXP"}, {"TOTP Settings", "30;S"}},
     "otpauth://totp/?secret=JBSWY3DPEHPK3PXP&encoder=steam",
     nullptr},
    {{{"TOTP Seed", "JBSWY3DPEHPK3PXP"}, {"TOTP Settings", "30;6;SHA256"}},
     "otpauth://totp/?secret=JBSWY3DPEHPK3PXP&algorithm=SHA256",
     nullptr},
    {{{"TOTP Seed", "JBSWY3DPEHPK3PXP"}, {"TOTP Settings", "30;6;https://time.example.com"}}, kPlain, nullptr},
    {{{"TOTP Seed", "JBSWY3DPEHPK3PXP"}}, kPlain, nullptr},
    {{{"TOTP Seed", "JBSWY3DPEHPK3PXP"}, {"TOTP Settings", "30"}}, nullptr, kKeePassOtpSettingsInvalidMessage},
    {{{"TOTP Seed", "JBSWY3DPEHPK3PXP"}, {"TOTP Settings", "10;6"}}, nullptr, kTotpPeriodOutOfRangeMessage},
    {{{"TOTP Seed", "JBSWY3DPEHPK3PXP"}, {"TOTP Settings", "30;9"}}, nullptr, kTotpDigitsOutOfRangeMessage},
    {{{"TOTP Seed", "JBSWY3DPEHPK3PXP"}, {"TOTP Settings", "30;6;MD5"}}, nullptr, kOtpUnknownAlgorithmMessage},
    {{{"TOTP Seed", "not base32!"}, {"TOTP Settings", "30;6"}}, nullptr, kOtpSecretNotBase32Message},
    // KeePass 2.47 and later.
    {{{"TimeOtp-Secret-Base32", "GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ"}}, kRfcKeyUri, nullptr},
    {{{"TimeOtp-Secret", "12345678901234567890"}}, kRfcKeyUri, nullptr},
    {{{"TimeOtp-Secret-Hex", "31323334 35363738 39303132 33343536 37383930"}}, kRfcKeyUri, nullptr},
    {{{"TimeOtp-Secret-Base64", "MTIzNDU2Nzg5MDEyMzQ1Njc4OTA="}}, kRfcKeyUri, nullptr},
    {{{"TimeOtp-Secret-Base32", "JBSWY3DPEHPK3PXP"},
      {"TimeOtp-Length", "8"},
      {"TimeOtp-Period", "60"},
      {"TimeOtp-Algorithm", "HMAC-SHA-256"}},
     "otpauth://totp/?secret=JBSWY3DPEHPK3PXP&algorithm=SHA256&digits=8&period=60",
     nullptr},
    {{{"TimeOtp-Algorithm", "HMAC-SHA-512"}, {"TimeOtp-Secret-Base32", "JBSWY3DPEHPK3PXP"}},
     "otpauth://totp/?secret=JBSWY3DPEHPK3PXP&algorithm=SHA512",
     nullptr},
    {{{"TimeOtp-Secret-Base32", "JBSWY3DPEHPK3PXP"}, {"TimeOtp-Algorithm", "HMAC-MD5"}},
     nullptr,
     kKeePassOtpUnknownAlgorithmMessage},
    {{{"TimeOtp-Secret-Base32", "JBSWY3DPEHPK3PXP"}, {"TimeOtp-Length", "10"}}, nullptr, kTotpDigitsOutOfRangeMessage},
    {{{"TimeOtp-Secret-Base32", "JBSWY3DPEHPK3PXP"}, {"TimeOtp-Period", "0"}}, nullptr, kTotpPeriodOutOfRangeMessage},
    {{{"TimeOtp-Secret-Base32", "JBSWY3DP1"}}, nullptr, kOtpSecretNotBase32Message},
    {{{"TimeOtp-Secret-Hex", "31zz"}}, nullptr, kKeePassOtpSecretNotHexMessage},
    {{{"TimeOtp-Secret-Base64", "!!!!"}}, nullptr, kKeePassOtpSecretNotBase64Message},
    {{{"TimeOtp-Secret", ""}}, nullptr, kTotpEmptySecretMessage},
    {{{"TimeOtp-Secret-Hex", ""}}, nullptr, kKeePassOtpSecretNotHexMessage},
    {{{"TimeOtp-Secret-Base64", " "}}, nullptr, kKeePassOtpSecretNotBase64Message},
    {{{"TimeOtp-Secret-Base32", "A"}}, nullptr, kOtpSecretNotBase32Message},
    // KeeOTP's otp field, its padding escaped as KeeOTP writes it.
    {{{"otp", "key=JBSWY3DPEHPK3PXP&step=25&size=8&otpHashMode=Sha256"}},
     "otpauth://totp/?secret=JBSWY3DPEHPK3PXP&algorithm=SHA256&digits=8&period=25",
     nullptr},
    {{{"otp", "key=MFRGG%3d%3d%3d&type=Totp&otpHashMode=sha512"}},
     "otpauth://totp/?secret=MFRGG&algorithm=SHA512",
     nullptr},
    {{{"otp", "key=MTIzNDU2Nzg5MDEyMzQ1Njc4OTA%3d&encoding=Base64"}}, kRfcKeyUri, nullptr},
    {{{"otp", "key=3132333435363738393031323334353637383930&encoding=Hex"}}, kRfcKeyUri, nullptr},
    {{{"otp", "key=12345678901234567890&encoding=UTF8&size=6&size=6"}}, kRfcKeyUri, nullptr},
    {{{"otp", "size=7&key=JBSWY3DPEHPK3PXP"}}, "otpauth://totp/?secret=JBSWY3DPEHPK3PXP&digits=7", nullptr},
    {{{"otp", "otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&key=other"}},
     "otpauth://totp/x?secret=JBSWY3DPEHPK3PXP",
     nullptr},
    {{{"otp", "key=JBSWY3DPEHPK3PXP&type=Hotp&counter=3"}}, nullptr, kOtpHotpNotSupportedMessage},
    {{{"otp", "key=JBSWY3DPEHPK3PXP&type=Yandex"}}, nullptr, kKeeOtpTypeUnknownMessage},
    {{{"otp", "key=JBSWY3DPEHPK3PXP&encoding=Base58"}}, nullptr, kKeeOtpEncodingUnknownMessage},
    {{{"otp", "key=JBSWY3DPEHPK3PXP&otpHashMode=Md5"}}, nullptr, kOtpUnknownAlgorithmMessage},
    {{{"otp", "key=JBSWY3DPEHPK3PXP&step=10"}}, nullptr, kTotpPeriodOutOfRangeMessage},
    {{{"otp", "key=JBSWY3DPEHPK3PXP&size=8&size=6"}}, nullptr, kOtpConflictingParameterMessage},
    {{{"otp", "key=&step=30"}}, nullptr, kOtpSecretMissingMessage},
    {{{"otp", "key=A"}}, nullptr, kOtpSecretNotBase32Message},
    {{{"otp", "key=&encoding=Hex"}}, nullptr, kOtpSecretMissingMessage},
    // KeePassXC's own field wins over the older forms, TimeOtp over TOTP Seed.
    {{{"TOTP Seed", "MFRGG"}, {"otp", "otpauth://totp/x?secret=JBSWY3DPEHPK3PXP"}},
     "otpauth://totp/x?secret=JBSWY3DPEHPK3PXP",
     nullptr},
    {{{"otp", "JBSWY3DPEHPK3PXP"}}, kPlain, nullptr},
    {{{"otp", "otpauth://hotp/x?secret=JBSWY3DPEHPK3PXP"}}, nullptr, kOtpHotpNotSupportedMessage},
    {{{"TOTP Seed", "MFRGG"}, {"TimeOtp-Secret-Base32", "JBSWY3DPEHPK3PXP"}}, kPlain, nullptr},
    // No code at all.
    {{{"Recovery codes", "1234 5678"}}, "", nullptr},
    {{}, "", nullptr},
};

TEST(KeePassOneTimeCode, ImportsEachFormAsTheCanonicalUri) {
  for (const ImportCase& c : kImports) {
    std::string trace;
    for (const auto& [name, value] : c.fields) trace += name + "=" + value + "; ";
    SCOPED_TRACE(trace);
    SecretText uri("left over");
    EXPECT_STREQ(OneTimeCodeFromKeePassFields(Fields(c.fields), uri), c.error);
    EXPECT_EQ(uri.view(), c.uri != nullptr ? c.uri : "");
  }
}

// The code oathtool gives with these options at unixTime.
std::string OathtoolCode(const std::string& options, int64_t unixTime) {
  std::string command = "oathtool " + options + " -N @" + std::to_string(unixTime) + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "cannot start oathtool";
  std::string output;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  EXPECT_EQ(pclose(pipe), 0) << command << ": " << output;
  while (!output.empty() && output.back() == '\n') output.pop_back();
  return output;
}

// Other programs' forms give the codes oathtool gives for the same key.
TEST(KeePassOneTimeCode, OtherProgramsFormsGiveOathtoolsCodes) {
  struct {
    Pairs fields;
    const char* oathtool;
  } cases[] = {
      {{{"otp", "key=JBSWY3DPEHPK3PXP&step=25&size=8&otpHashMode=Sha256"}},
       "--totp=sha256 -d 8 -s 25 -b JBSWY3DPEHPK3PXP"},
      {{{"otp", "key=MFRGGZDFMZTWQ2LK&size=7&otpHashMode=Sha512"}}, "--totp=sha512 -d 7 -b MFRGGZDFMZTWQ2LK"},
      // pyotp's own test URI repeats its algorithm.
      {{{"otp", "otpauth://totp?algorithm=SHA1&secret=GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ&algorithm=SHA1"}},
       "--totp=sha1 -b GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.oathtool);
    SecretText uri;
    ASSERT_EQ(OneTimeCodeFromKeePassFields(Fields(c.fields), uri), nullptr);
    for (int64_t at : {int64_t{59}, int64_t{1111111109}, int64_t{2000000000}}) {
      TotpCode code;
      ASSERT_EQ(CurrentOneTimeCode(uri.view(), at, code), nullptr);
      EXPECT_EQ(code.text, OathtoolCode(c.oathtool, at)) << at;
    }
  }
}

struct ExportCase {
  const char* uri;
  Pairs fields;
};

const ExportCase kExports[] = {
    {kPlain,
     {{"TimeOtp-Secret-Base32", "JBSWY3DPEHPK3PXP"},
      {"TimeOtp-Length", "6"},
      {"TimeOtp-Period", "30"},
      {"TimeOtp-Algorithm", "HMAC-SHA-1"},
      {"TOTP Seed", "JBSWY3DPEHPK3PXP"},
      {"TOTP Settings", "30;6"}}},
    {"otpauth://totp/?secret=JBSWY3DPEHPK3PXP&digits=8&period=60",
     {{"TimeOtp-Secret-Base32", "JBSWY3DPEHPK3PXP"},
      {"TimeOtp-Length", "8"},
      {"TimeOtp-Period", "60"},
      {"TimeOtp-Algorithm", "HMAC-SHA-1"},
      {"TOTP Seed", "JBSWY3DPEHPK3PXP"},
      {"TOTP Settings", "60;8"}}},
    // TOTP Settings cannot say SHA-512: readers of it would show a wrong code.
    {"otpauth://totp/?secret=JBSWY3DPEHPK3PXP&algorithm=SHA512&digits=7",
     {{"TimeOtp-Secret-Base32", "JBSWY3DPEHPK3PXP"},
      {"TimeOtp-Length", "7"},
      {"TimeOtp-Period", "30"},
      {"TimeOtp-Algorithm", "HMAC-SHA-512"}}},
    // TimeOtp cannot say Steam.
    {"otpauth://totp/?secret=JBSWY3DPEHPK3PXP&encoder=steam",
     {{"TOTP Seed", "JBSWY3DPEHPK3PXP"}, {"TOTP Settings", "30;S"}}},
};

TEST(KeePassOneTimeCode, ExportsFieldsThatReadBackAsTheSameCode) {
  for (const ExportCase& c : kExports) {
    SCOPED_TRACE(c.uri);
    std::vector<CustomField> fields;
    ASSERT_EQ(KeePassOneTimeCodeFields(c.uri, fields), nullptr);
    Pairs written;
    for (const CustomField& field : fields) {
      written.emplace_back(field.name.view(), field.value.view());
      bool secret = field.name.view() == "TOTP Seed" || field.name.view() == "TimeOtp-Secret-Base32";
      EXPECT_EQ(field.isProtected, secret) << field.name.view();
      EXPECT_TRUE(IsKeePassOneTimeCodeField(field.name.view()));
    }
    EXPECT_EQ(written, c.fields);

    SecretText back;
    ASSERT_EQ(OneTimeCodeFromKeePassFields(fields, back), nullptr);
    EXPECT_EQ(back.view(), c.uri);
  }

  std::vector<CustomField> fields = Fields({{"stale", "x"}});
  EXPECT_STREQ(KeePassOneTimeCodeFields("otpauth://hotp/?secret=MFRGG", fields), kOtpHotpNotSupportedMessage);
  EXPECT_TRUE(fields.empty());
  EXPECT_FALSE(IsKeePassOneTimeCodeField("Recovery codes"));
  EXPECT_TRUE(IsKeePassOneTimeCodeField("otp"));
}

}  // namespace
