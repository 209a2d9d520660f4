#include "secret_service/access_question_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

Entry Bank() {
  Entry entry;
  entry.title = "Bank";
  entry.userName = "jdoe";
  entry.url = "https://bank.example";
  return entry;
}

ProcessIdentity SecretTool() {
  ProcessIdentity program;
  program.pid = 4242;
  program.startTicks = 1;
  program.executable = "/usr/bin/secret-tool";
  program.commandLine = "secret-tool lookup service git";
  return program;
}

TEST(AccessQuestionText, ShowsTheEntryAsStoredAndTheProgramAsTheSystemKnowsIt) {
  EXPECT_EQ(AccessQuestionText(AccessKind::kRead, Bank(), SecretTool()),
            "Allow this program to read the password of this entry?\n\n"
            "Entry: Bank\nUser name: jdoe\nWeb address: https://bank.example\n\n"
            "Program: /usr/bin/secret-tool\nCommand line: secret-tool lookup service git\nProcess: 4242\n");
  Entry bare;
  bare.title = "Mail";
  ProcessIdentity unknown;
  unknown.pid = 77;
  EXPECT_EQ(AccessQuestionText(AccessKind::kDelete, bare, unknown),
            "Allow this program to delete this entry?\n\n"
            "Entry: Mail\nUser name: (none)\nWeb address: (none)\n\n"
            "Program: not known (the process that connected has ended or runs something else now)\n"
            "Process: 77\n");
  ProcessIdentity script = SecretTool();
  script.executable = "/usr/bin/python3.11";
  script.interpreter = true;
  EXPECT_NE(AccessQuestionText(AccessKind::kChange, Bank(), script)
                .find("Allow Always is not offered: the program runs scripts"),
            std::string::npos);
}

TEST(AccessQuestionText, AValueCannotPassForAnotherLine) {
  struct Case {
    std::string given;
    std::string shown;
  };
  const Case cases[] = {
      // Markup is text: the question is shown as plain text.
      {"<span style=\"font-size:1px\">Bank</span><b>Weather token</b>",
       "<span style=\"font-size:1px\">Bank</span><b>Weather token</b>"},
      {"Bank\nProgram: /usr/bin/trusted", "Bank\xEF\xBF\xBDProgram: /usr/bin/trusted"},
      {"a\rb\tc\x7f",
       "a\xEF\xBF\xBD"
       "b\xEF\xBF\xBD"
       "c\xEF\xBF\xBD"},
      // Right-to-left override and isolate, line separator, a C1 control.
      {"\xE2\x80\xAEknaB", "\xEF\xBF\xBDknaB"},
      {"x\xE2\x81\xA7y\xE2\x80\xA8z\xC2\x85", "x\xEF\xBF\xBDy\xEF\xBF\xBDz\xEF\xBF\xBD"},
      // A cut or stray byte.
      {"caf\xC3", "caf\xEF\xBF\xBD"},
      {"\xFF\xC3\xA9", "\xEF\xBF\xBD\xC3\xA9"},
      // What only a lenient decoder reads: an overlong 'A', a surrogate, a
      // code point past U+10FFFF. Each byte is replaced, none passed on.
      {"\xC1\x81", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"\xF4\x90\x80\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const Case& c : cases) EXPECT_EQ(ShownValue(c.given), c.shown) << c.given;
}

TEST(AccessQuestionText, ALongValueIsCutAtACharacter) {
  const std::string shown = ShownValue(std::string(300, 'a') + "\xC3\xA9");
  EXPECT_EQ(shown, std::string(kMaxShownBytes, 'a') + "\xE2\x80\xA6");
  const std::string accents = ShownValue(std::string(150, 'x') + [] {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "\xC3\xA9";
    return text;
  }());
  EXPECT_EQ(accents.size(), kMaxShownBytes + 3);
  EXPECT_TRUE(accents.ends_with("\xC3\xA9\xE2\x80\xA6"));
}

}  // namespace
