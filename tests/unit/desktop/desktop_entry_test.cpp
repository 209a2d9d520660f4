#include "desktop/desktop_entry.h"

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/unit/desktop/wait_for_file.h"
#include "tests/unit/core/scratch_dir.h"

extern char** environ;

namespace {

TEST(DesktopEntryTest, ExecQuotesAndEscapesOnlyWhatTheRulesRequire) {
  struct Case {
    const char* program;
    const char* exec;
  };
  const Case cases[] = {
      {"/usr/bin/quillbox", "/usr/bin/quillbox"},
      {"/opt/Quill Box/quillbox", "\"/opt/Quill Box/quillbox\""},
      {"/opt/100%/quillbox", "/opt/100%%/quillbox"},
      {"/opt/a$b/quillbox", "\"/opt/a\\\\$b/quillbox\""},
      {"/opt/a\\b/quillbox", "\"/opt/a\\\\\\\\b/quillbox\""},
      {"/opt/say \"hi\"/q", "\"/opt/say \\\\\"hi\\\\\"/q\""},
      {"/opt/it's/q", "\"/opt/it's/q\""},
      {"/opt/two\nlines/q", "\"/opt/two\\nlines/q\""},
      {"/opt/50% off/q", "\"/opt/50%% off/q\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatDesktopExec(c.program), c.exec) << c.program;
  }
}

TEST(DesktopEntryTest, EntryIsAnApplicationThatRunsTheProgram) {
  EXPECT_EQ(BuildAutostartEntry("/opt/Quill Box/quillbox"),
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=Quillbox\n"
            "Exec=\"/opt/Quill Box/quillbox\"\n"
            "Terminal=false\n");
}

bool RunToEnd(const char* const argv[]) {
  pid_t pid;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) return false;
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// GLib's launcher reads the entry as a session would and starts the program;
// the program reports the path it was started by.
TEST(DesktopEntryTest, RealLauncherStartsProgramsWithAwkwardPaths) {
  const char* folders[] = {"plain",    "with space", "dollar$HOME", "back\\slash",
                           "quote\"d", "it's",       "tick`s",      "(paren) & pipe|;"};
  for (const char* folder : folders) {
    ScratchDir scratch;
    const std::string report = scratch.Path("started");
    const std::string dir = scratch.Path(folder);
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0) << folder;
    const std::string program = dir + "/quillbox";
    // Written aside and renamed, so the report is never read half-written.
    WriteTextFile(program,
                  "#!/bin/sh\nprintf '%s' \"$0\" > '" + report + ".new' && mv '" + report + ".new' '" + report + "'\n");
    ASSERT_EQ(chmod(program.c_str(), 0700), 0);
    const std::string entry = scratch.Path("Quillbox.desktop");
    WriteTextFile(entry, BuildAutostartEntry(program));

    const char* launch[] = {"gio", "launch", entry.c_str(), nullptr};
    ASSERT_TRUE(RunToEnd(launch)) << folder << ": gio (libglib2.0-bin) could not launch\n" << ReadTextFile(entry);
    EXPECT_EQ(WaitForFileText(report), program) << folder;
  }
}

}  // namespace
