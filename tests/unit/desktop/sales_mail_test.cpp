#include "desktop/sales_mail.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>

#include "desktop/detached_process.h"
#include "tests/unit/desktop/scoped_env.h"
#include "tests/unit/desktop/wait_for_file.h"
#include "tests/unit/core/scratch_dir.h"

namespace {

// A folder standing in for PATH, holding only the scripts a test puts there.
class MailProgramTest : public testing::Test {
 protected:
  void AddProgram(const std::string& name, const std::string& body) {
    const std::string path = scratch_.Path(name);
    WriteTextFile(path, "#!/bin/sh\nPATH=/usr/bin:/bin\n" + body);
    ASSERT_EQ(chmod(path.c_str(), 0700), 0);
  }
  std::string Report() const { return scratch_.Path("report"); }
  // Reports through a file renamed into place, so it is never read half-written.
  std::string WriteReport(const std::string& what) const {
    return what + " > '" + Report() + ".new' && mv '" + Report() + ".new' '" + Report() + "'\n";
  }

  ScratchDir scratch_;
  ScopedEnv path_{"PATH", scratch_.Root().c_str()};
};

TEST_F(MailProgramTest, HandsAnAddressedTitledMessageToTheMailProgram) {
  AddProgram("xdg-email", WriteReport("printf '[%s]\\n' \"$@\""));
  EXPECT_TRUE(SendSalesInquiryMail());
  // No --body: the message starts empty.
  EXPECT_EQ(WaitForFileText(Report()),
            "[--subject]\n"
            "[I have a sales inquiry...]\n"
            "[Tarnwell Sales Manager <sales@tarnwell.com>]\n");
}

TEST_F(MailProgramTest, WithoutAMailProgramNothingHappens) { EXPECT_FALSE(SendSalesInquiryMail()); }

// The mail program waits until the caller has got control back; a caller
// that waited for it would see "late" instead.
TEST_F(MailProgramTest, ReturnsAtOnceAndLeavesNoChildBehind) {
  const std::string go = scratch_.Path("go");
  AddProgram("xdg-email",
             "i=0\n"
             "while [ ! -e '" +
                 go +
                 "' ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i+1)); done\n"
                 "if [ -e '" +
                 go + "' ]; then state=go; else state=late; fi\n" + WriteReport("echo $state"));
  ASSERT_TRUE(SendSalesInquiryMail());
  WriteTextFile(go, "");
  EXPECT_EQ(WaitForFileText(Report()), "go\n");
  // The mail program was detached: it is not our child, so nothing to reap.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST_F(MailProgramTest, ProgramsThatCannotStartAreReportedAsSuch) {
  const std::string notExecutable = scratch_.Path("plain-file");
  WriteTextFile(notExecutable, "#!/bin/sh\n");
  AddProgram("bad-interpreter", "");
  WriteTextFile(scratch_.Path("bad-interpreter"), "#!/nonexistent/shell\n");

  EXPECT_FALSE(StartDetachedProcess("no-such-program", {}));
  EXPECT_FALSE(StartDetachedProcess(notExecutable, {}));
  EXPECT_FALSE(StartDetachedProcess("bad-interpreter", {}));
  EXPECT_FALSE(StartDetachedProcess("", {}));
}

}  // namespace
