#include "auto_type/auto_type_sequence.h"

#include <gtest/gtest.h>

namespace {

Entry SampleEntry() {
  Entry entry;
  entry.title = std::string_view("Bank");
  entry.userName = std::string_view("jdoe");
  entry.password = std::string_view("pa{ss}wörd");
  entry.url = std::string_view("https://bank.example.com/login");
  entry.SetField("PIN", "4711", true);
  // RFC 6238's SHA-1 secret: at 59 s the 8-digit code is 94287082.
  entry.totp = std::string_view("otpauth://totp/x?secret=GEZDGNBVGY3TQOJQGEZDGNBVGY3TQOJQ&digits=8");
  return entry;
}

// Each step written out: text in quotes, keys by name, delays as +N / =N.
std::string Steps(const std::vector<AutoTypeAction>& actions) {
  static const char* kNames[] = {"TAB",  "ENTER", "SPACE", "BACKSPACE", "DELETE", "UP",
                                 "DOWN", "LEFT",  "RIGHT", "HOME",      "END"};
  std::string steps;
  for (const AutoTypeAction& action : actions) {
    if (!steps.empty()) steps += ' ';
    switch (action.kind) {
      case AutoTypeAction::Kind::kText:
        steps += "\"" + std::string(action.text.view()) + "\"";
        break;
      case AutoTypeAction::Kind::kKey:
        steps += kNames[static_cast<int>(action.key)];
        break;
      case AutoTypeAction::Kind::kDelay:
        steps += "+" + std::to_string(action.milliseconds);
        break;
      case AutoTypeAction::Kind::kKeyDelay:
        steps += "=" + std::to_string(action.milliseconds);
        break;
    }
  }
  return steps;
}

TEST(AutoTypeSequence, PlaceholdersBecomeTheEntrysFieldsAndKeys) {
  struct Case {
    const char* sequence;
    const char* steps;
  } cases[] = {
      {kDefaultAutoTypeSequence, "\"jdoe\" TAB \"pa{ss}wörd\" ENTER"},
      {"{title}: {URL}", "\"Bank: https://bank.example.com/login\""},
      {"{S:PIN}{TOTP}", "\"471194287082\""},
      {"{{}x{}}", "\"{x}\""},
      {"a{DELAY 250}b{DELAY=40}c", "\"a\" +250 \"b\" =40 \"c\""},
      {"{TAB 3}{SPACE}{BACKSPACE}{DELETE}{UP}{DOWN}{LEFT}{RIGHT}{HOME}{END}",
       "TAB TAB TAB SPACE BACKSPACE DELETE UP DOWN LEFT RIGHT HOME END"},
      {"", ""},
  };
  Entry entry = SampleEntry();
  for (const Case& c : cases) {
    std::vector<AutoTypeAction> actions;
    std::string error;
    ASSERT_TRUE(ParseAutoTypeSequence(c.sequence, entry, 59, &actions, &error)) << c.sequence << ": " << error;
    EXPECT_EQ(Steps(actions), c.steps) << c.sequence;
  }
}

TEST(AutoTypeSequence, AnythingItCannotTypeIsRefusedWhole) {
  struct Case {
    const char* sequence;
    const char* message;
  } cases[] = {
      {"{USERNAME}{PASWORD}", "The auto-type sequence has an unknown placeholder {PASWORD}."},
      {"{USERNAME}{TAB", "The auto-type sequence has an unbalanced brace: \"{\"."},
      {"{USERNAME}}", "The auto-type sequence has an unbalanced brace: \"}\"."},
      {"{PASSWORD 2}", "The auto-type sequence has an unknown placeholder {PASSWORD 2}."},
      {"{TAB x}", "The auto-type sequence has an unknown placeholder {TAB x}."},
      {"{}", "The auto-type sequence has an unknown placeholder {}."},
      {"{DELAY 99999}", "The auto-type sequence's {DELAY 99999} needs a delay of 0 to 10000 milliseconds."},
      {"{DELAY=-1}", "The auto-type sequence's {DELAY=-1} needs a delay of 0 to 10000 milliseconds."},
      {"{S:Missing}", "The auto-type sequence names {S:Missing}, a field the entry does not have."},
  };
  Entry entry = SampleEntry();
  for (const Case& c : cases) {
    std::vector<AutoTypeAction> actions;
    std::string error;
    EXPECT_FALSE(ParseAutoTypeSequence(c.sequence, entry, 59, &actions, &error)) << c.sequence;
    EXPECT_EQ(error, c.message) << c.sequence;
    EXPECT_TRUE(actions.empty()) << c.sequence;
  }
  entry.totp = SecretText();
  std::vector<AutoTypeAction> actions;
  std::string error;
  EXPECT_FALSE(ParseAutoTypeSequence("{TOTP}", entry, 59, &actions, &error));
  EXPECT_EQ(error, "The auto-type sequence types {TOTP}, but the entry has no one-time code.");
}

TEST(AutoTypeSequence, AnEntrysOwnSequenceReplacesTheDefault) {
  Entry entry = SampleEntry();
  EXPECT_EQ(AutoTypeSequenceOf(entry), kDefaultAutoTypeSequence);
  entry.SetField(kAutoTypeSequenceField, "{PASSWORD}{ENTER}", false);
  EXPECT_EQ(AutoTypeSequenceOf(entry), "{PASSWORD}{ENTER}");
}

}  // namespace
