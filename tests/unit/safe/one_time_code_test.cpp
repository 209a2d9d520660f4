#include "safe/one_time_code.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr char kPlain[] = "otpauth://totp/?secret=JBSWY3DPEHPK3PXP";

struct InputCase {
  const char* input;
  const char* uri;    // the canonical URI, when accepted
  const char* error;  // the message, when refused
};

// Everything a user may paste goes through the one function.
const InputCase kInputs[] = {
    // URIs, written back in canonical form.
    {"otpauth://totp/Example:alice@example.com?secret=JBSWY3DPEHPK3PXP&issuer=Example",
     "otpauth://totp/Example:alice@example.com?secret=JBSWY3DPEHPK3PXP&issuer=Example", nullptr},
    {"otpauth://totp/ACME%20Co:john?period=60&digits=8&algorithm=sha256&secret=jbswy3dpehpk3pxp&issuer=ACME%20Co",
     "otpauth://totp/ACME%20Co:john?secret=JBSWY3DPEHPK3PXP&issuer=ACME%20Co&algorithm=SHA256&digits=8&period=60",
     nullptr},
    {"OTPAUTH://TOTP/x?SECRET=JBSWY3DPEHPK3PXP&Algorithm=Sha512&DIGITS=7&Period=15",
     "otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&algorithm=SHA512&digits=7&period=15", nullptr},
    {"otpauth://totp/?secret=JBSWY3DPEHPK3PXP&algorithm=SHA1&digits=6&period=30", kPlain, nullptr},
    {"otpauth://totp/?secret=JBSW%20Y3DP%20ehpk%203pxp", kPlain, nullptr},
    {"otpauth://totp/?secret=MFRGG===&period=300", "otpauth://totp/?secret=MFRGG&period=300", nullptr},
    {"otpauth://totp?secret=JBSWY3DPEHPK3PXP", kPlain, nullptr},
    {"otpauth://totp/?secret=JBSWY3DPEHPK3PXP&image=https%3A%2F%2Fexample.com%2Fa.png&counter=", kPlain, nullptr},
    {"otpauth://totp/a%2Fb%26c%3Fd?secret=JBSWY3DPEHPK3PXP&issuer=R%26D+Lab",
     "otpauth://totp/a%2Fb%26c%3Fd?secret=JBSWY3DPEHPK3PXP&issuer=R%26D%2BLab", nullptr},
    {"otpauth://totp/Steam:me?secret=JBSWY3DPEHPK3PXP&digits=5&period=30&encoder=steam&issuer=Steam",
     "otpauth://totp/Steam:me?secret=JBSWY3DPEHPK3PXP&issuer=Steam&encoder=steam", nullptr},
    {"otpauth://totp/Steam:me?secret=JBSWY3DPEHPK3PXP&digits=6&encoder=Steam",
     "otpauth://totp/Steam:me?secret=JBSWY3DPEHPK3PXP&encoder=steam", nullptr},
    {"  otpauth://totp/?secret=JBSWY3DPEHPK3PXP\n", kPlain, nullptr},
    // A repeat that agrees, as pyotp's own test URI has.
    {"otpauth://totp?algorithm=SHA1&secret=JBSWY3DPEHPK3PXP&algorithm=SHA1", kPlain, nullptr},
    {"otpauth://totp/x?Digits=8&secret=JBSWY3DPEHPK3PXP&digits=8&secret=JBSWY3DPEHPK3PXP",
     "otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&digits=8", nullptr},
    // Bare base32 secrets.
    {"JBSWY3DPEHPK3PXP", kPlain, nullptr},
    {"jbsw y3dp ehpk 3pxp", kPlain, nullptr},
    {" MFRGG=== ", "otpauth://totp/?secret=MFRGG", nullptr},
    {"MFRGG", "otpauth://totp/?secret=MFRGG", nullptr},
    // Nothing means no one-time code.
    {"", "", nullptr},
    {" \t\n", "", nullptr},
    // Refusals, each with what is wrong.
    {"otpauth://hotp/x?secret=JBSWY3DPEHPK3PXP&counter=1", nullptr, kOtpHotpNotSupportedMessage},
    {"otpauth://HOTP/x?secret=JBSWY3DPEHPK3PXP", nullptr, kOtpHotpNotSupportedMessage},
    {"otpauth://yaotp/x?secret=JBSWY3DPEHPK3PXP", nullptr, kOtpNotUriMessage},
    {"otpauth:totp/x?secret=JBSWY3DPEHPK3PXP", nullptr, kOtpNotUriMessage},
    {"otpauth://totpx/?secret=JBSWY3DPEHPK3PXP", nullptr, kOtpNotUriMessage},
    {"otpauth://totp/x?issuer=A", nullptr, kOtpSecretMissingMessage},
    {"otpauth://totp/x", nullptr, kOtpSecretMissingMessage},
    {"otpauth://totp/x?secret=", nullptr, kOtpSecretMissingMessage},
    {"otpauth://totp/x?secret=JBSWY3DP1", nullptr, kOtpSecretNotBase32Message},
    {"otpauth://totp/x?secret=JBSWY3DPE", nullptr, kOtpSecretNotBase32Message},
    {"otpauth://totp/x?secret=MFRGG==", nullptr, kOtpSecretNotBase32Message},
    {"otpauth://totp/x?secret=%3D%3D", nullptr, kOtpSecretNotBase32Message},
    {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&algorithm=MD5", nullptr, kOtpUnknownAlgorithmMessage},
    {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&algorithm=", nullptr, kOtpUnknownAlgorithmMessage},
    {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&digits=5", nullptr, kTotpDigitsOutOfRangeMessage},
    {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&digits=9", nullptr, kTotpDigitsOutOfRangeMessage},
    {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&digits=six", nullptr, kTotpDigitsOutOfRangeMessage},
    {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&digits=+6", nullptr, kTotpDigitsOutOfRangeMessage},
    {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&period=14", nullptr, kTotpPeriodOutOfRangeMessage},
    {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&period=301", nullptr, kTotpPeriodOutOfRangeMessage},
    {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&period=30s", nullptr, kTotpPeriodOutOfRangeMessage},
    {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&period=4294967326", nullptr, kTotpPeriodOutOfRangeMessage},
    {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&encoder=yandex", nullptr, kOtpUnknownEncoderMessage},
    {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&secret=MFRGG", nullptr, kOtpConflictingParameterMessage},
    {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&Digits=6&digits=8", nullptr, kOtpConflictingParameterMessage},
    {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&issuer=A&issuer=a", nullptr, kOtpConflictingParameterMessage},
    {"otpauth://totp/bad%zz?secret=JBSWY3DPEHPK3PXP", nullptr, kOtpBrokenEscapeMessage},
    {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP%2", nullptr, kOtpBrokenEscapeMessage},
    {"otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&issuer=a%00b", nullptr, kOtpTextHasNulMessage},
    {"otpauth://totp/a%00b?secret=JBSWY3DPEHPK3PXP", nullptr, kOtpTextHasNulMessage},
    {"JBSWY3DP!", nullptr, kOtpInputInvalidMessage},
    {"JBSWY3DPE", nullptr, kOtpInputInvalidMessage},
    {"MFRGG==", nullptr, kOtpInputInvalidMessage},
    {"====", nullptr, kOtpInputInvalidMessage},
    {"A", nullptr, kOtpInputInvalidMessage},
    {"otpauth://totp/?secret=A", nullptr, kOtpSecretNotBase32Message},
    {"https://example.com/?secret=JBSWY3DPEHPK3PXP", nullptr, kOtpInputInvalidMessage},
};

TEST(OneTimeCodeInput, GivesTheCanonicalUriOrSaysWhatIsWrong) {
  for (const InputCase& c : kInputs) {
    SCOPED_TRACE(c.input);
    SecretText uri("left over");
    const char* error = NormalizeOneTimeCodeInput(c.input, uri);
    EXPECT_STREQ(error, c.error);
    EXPECT_EQ(uri.view(), c.uri != nullptr ? c.uri : "");
    if (c.uri == nullptr || *c.uri == '\0') continue;
    // The canonical form is a fixed point.
    SecretText again;
    EXPECT_EQ(NormalizeOneTimeCodeInput(uri.view(), again), nullptr);
    EXPECT_EQ(again.view(), uri.view());
  }
}

// No label or issuer holds NUL: the URI is refused whether the NUL comes
// raw or escaped, and settings holding one are never written, so whatever
// is written reads back.
TEST(OneTimeCodeUri, HoldsNoNulEitherWay) {
  using namespace std::string_literals;
  for (const std::string& uri :
       {"otpauth://totp/a\0b?secret=JBSWY3DPEHPK3PXP"s, "otpauth://totp/x?secret=JBSWY3DPEHPK3PXP&issuer=\0"s,
        "otpauth://totp/x?issuer=a%00&secret=JBSWY3DPEHPK3PXP"s}) {
    SCOPED_TRACE(uri);
    SecretText normalized("left over");
    EXPECT_STREQ(NormalizeOneTimeCodeInput(uri, normalized), kOtpTextHasNulMessage);
    EXPECT_TRUE(normalized.empty());
  }

  OneTimeCodeSettings settings;
  ASSERT_EQ(ParseOneTimeCodeUri("otpauth://totp/a?secret=MFRGG", settings), nullptr);
  SecretText uri;
  for (SecretText* text : {&settings.label, &settings.issuer}) {
    *text = "a\0b"s;
    EXPECT_STREQ(FormatOneTimeCodeUri(settings, uri), kOtpTextHasNulMessage);
    EXPECT_TRUE(uri.empty());
    *text = "";
  }
  ASSERT_EQ(FormatOneTimeCodeUri(settings, uri), nullptr);
  EXPECT_EQ(uri.view(), "otpauth://totp/?secret=MFRGG");
}

TEST(OneTimeCodeUri, ParsesEveryPart) {
  OneTimeCodeSettings settings;
  ASSERT_EQ(ParseOneTimeCodeUri("otpauth://totp/ACME%20Co:john%40example.com?secret=MFRGG===&issuer=ACME%20Co"
                                "&algorithm=SHA512&digits=8&period=45",
                                settings),
            nullptr);
  EXPECT_EQ(settings.label.view(), "ACME Co:john@example.com");
  EXPECT_EQ(settings.issuer.view(), "ACME Co");
  EXPECT_EQ(std::string(settings.secret.begin(), settings.secret.end()), "abc");
  EXPECT_EQ(settings.parameters, (TotpParameters{TotpAlgorithm::kSha512, 8, 45, false}));

  // A refusal leaves nothing of the secret behind.
  EXPECT_EQ(ParseOneTimeCodeUri("otpauth://totp/x?secret=MFRGG&digits=12", settings), kTotpDigitsOutOfRangeMessage);
  EXPECT_TRUE(settings.secret.empty());
  EXPECT_TRUE(settings.label.empty());
}

TEST(CurrentOneTimeCode, GivesTheCodeOfTheUriAtThatTime) {
  struct {
    const char* uri;
    int64_t time;
    const char* code;
    int secondsLeft;
  } cases[] = {
      // RFC 6238 Appendix B through URIs.
      {"otpauth://totp/?secret=GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ&digits=8", 59, "94287082", 1},
      {"otpauth://totp/?secret=GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQGEZA====&algorithm=sha256&digits=8",
       1111111109, "68084774", 1},
      {"otpauth://totp/?secret=GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ&digits=6", 1234567890, "005924", 30},
      {"otpauth://totp/Valve:test?secret=63BEDWCQZKTQWPESARIERL5DTTQFCJTK&issuer=Valve&digits=5&encoder=steam",
       1511200518, "FR8RV", 12},
  };
  for (const auto& c : cases) {
    TotpCode code;
    ASSERT_EQ(CurrentOneTimeCode(c.uri, c.time, code), nullptr) << c.uri;
    EXPECT_STREQ(code.text, c.code) << c.uri;
    EXPECT_EQ(code.secondsLeft, c.secondsLeft) << c.uri;
  }

  TotpCode code;
  EXPECT_STREQ(CurrentOneTimeCode("otpauth://hotp/?secret=MFRGG", 59, code), kOtpHotpNotSupportedMessage);
  EXPECT_STREQ(CurrentOneTimeCode("", 59, code), kOtpNotUriMessage);
  EXPECT_STREQ(code.text, "");
}

}  // namespace
