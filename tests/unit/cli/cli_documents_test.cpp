// The manual page and the README describe the commands the table holds.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_help.h"
#include "cli/clip_command.h"
#include "cli/command_table.h"
#include "settings/setting_documents.h"

namespace {

std::string ReadSourceFile(const std::string& name) {
  std::ifstream file(std::string(QUILLBOX_SOURCE_DIR) + "/" + name, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(CliDocuments, ManualPageHoldsTheTablesSections) {
  const std::string page = ReadSourceFile("packaging/man/quillbox-cli.1");
  const std::string sections = CliManualSections();
  EXPECT_NE(page.find(sections), std::string::npos) << "packaging/man/quillbox-cli.1 should hold:\n" << sections;
}

TEST(CliDocuments, ReadmeListsTheTablesCommands) {
  const std::string readme = ReadSourceFile("README.md");
  size_t section = readme.find("## Command line");
  ASSERT_NE(section, std::string::npos);
  std::vector<std::string> listed;
  std::istringstream lines(readme.substr(section, readme.find("\n## ", section + 1) - section));
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("| `")) continue;
    listed.push_back(line.substr(3, line.find('`', 3) - 3));
  }
  std::vector<std::string> commands;
  for (const CliCommandRow& command : CliCommands()) {
    if (command.run != nullptr) commands.push_back(CliSynopsis(command));
  }
  EXPECT_EQ(listed, commands);
  EXPECT_NE(readme.find(kNoClipboardMessage), std::string::npos);
}

// The help page the window opens covers the File menu's transfers too.
TEST(CliDocuments, HelpPageCoversImportExportAndUpgrade) {
  const std::string page = ReadSourceFile("resources/quillbox.html");
  for (const char* item : {"File &gt; Import...", "File &gt; Export...", "File &gt; Upgrade Safe Encryption..."}) {
    EXPECT_NE(page.find(item), std::string::npos) << item;
  }
}

// Both pages tell the settings the catalogue holds, as it tells them.
TEST(CliDocuments, HelpAndManualPagesHoldTheSettingsCatalogue) {
  const std::string table = SettingsHelpTable();
  EXPECT_NE(ReadSourceFile("resources/quillbox.html").find(table), std::string::npos)
      << "resources/quillbox.html should hold:\n"
      << table;
  const std::string section = SettingsManualSection();
  EXPECT_NE(ReadSourceFile("packaging/man/quillbox.1").find(section), std::string::npos)
      << "packaging/man/quillbox.1 should hold:\n"
      << section;
}

}  // namespace
