// One catalogue of settings: the command line lists it, and the application
// and the command line read its texts within the same limits.
#include "settings/setting_catalogue.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/settings_command.h"
#include "tests/unit/settings/isolated_hives.h"
#include "tests/unit/settings/test_app.h"

namespace {

std::string ListSettings(const char* keyName) {
  char* text = nullptr;
  size_t size = 0;
  FILE* out = open_memstream(&text, &size);
  EXPECT_EQ(RunSettingsCommand(keyName, out), 0);
  fclose(out);
  std::string result(text, size);
  free(text);
  return result;
}

TEST(SettingCatalogue, TheCommandListsEveryRowInOrder) {
  IsolatedHives hives;
  TestApp app;
  app.SetInstance(nullptr);
  std::istringstream lines(ListSettings(app.SettingsKeyName));
  std::vector<std::string> listed;
  bool table = false;
  for (std::string line; std::getline(lines, line);) {
    // The table ends at the first empty line; notes may follow it.
    if (table && line.empty()) break;
    if (table) listed.push_back(line.substr(0, line.find(' ')));
    table = table || line.starts_with("NAME ");
  }
  std::vector<std::string> catalogue;
  for (const SettingSpec& spec : SettingCatalogue()) catalogue.emplace_back(spec.name);
  EXPECT_EQ(listed, catalogue);
}

// The longest text the application takes, and one byte more, are shown as
// the application reads them.
TEST(SettingCatalogue, ApplicationAndCommandLineShareTheTextLimits) {
  for (const SettingSpec& spec : SettingCatalogue()) {
    if (spec.kind != SettingKind::kText) continue;
    for (size_t length : {spec.capacity - 2, spec.capacity - 1}) {
      SCOPED_TRACE(std::string(spec.name) + " of " + std::to_string(length));
      IsolatedHives hives;
      TestApp app;
      app.SetInstance(nullptr);
      const std::string text(length, 'a');
      app.WriteString(WHive::CurrentUser, spec.name, text.c_str());
      std::vector<char> buffer(spec.capacity, 'x');
      app.ReadSetting(spec, buffer.data());
      const bool read = buffer.data() == text;
      EXPECT_EQ(read, length < spec.capacity - 1);
      if (spec.name == std::string(kSafeFolderSpec.name)) {
        EXPECT_EQ(PeekSettingText(app.SettingsKeyName, spec), read ? text : "");
      }
      const std::string listing = ListSettings(app.SettingsKeyName);
      EXPECT_EQ(listing.find("\"" + text + "\"") != std::string::npos, read) << listing;
    }
  }
}

// What the settings dialog offers is told in a sentence, and a number's
// default lies within the limits the dialog keeps to.
TEST(SettingCatalogue, ChangeableSettingsHaveSentencesAndSaneLimits) {
  for (const SettingSpec& spec : SettingCatalogue()) {
    if (spec.group == SettingGroup::kKept) continue;
    SCOPED_TRACE(spec.name);
    ASSERT_NE(spec.label, nullptr);
    const std::string label = spec.label;
    EXPECT_TRUE(label.ends_with('.'));
    EXPECT_TRUE(label[0] >= 'A' && label[0] <= 'Z');
    if (spec.kind == SettingKind::kNumber) {
      EXPECT_LE(spec.minimum, spec.defaultNumber);
      EXPECT_LE(spec.defaultNumber, spec.maximum);
    }
  }
}

// The placement rows are the names WReg forms from the window's base names.
TEST(SettingCatalogue, ListsThePlacementNamesTheWindowKeeps) {
  std::vector<std::string> expected;
  for (const char* suffix : {"_x", "_y", "_dx", "_dy"})
    expected.push_back(kWindowPlacementBaseName + std::string(suffix));
  for (const char* suffix : {"_col0", "_col1", "_col2"})
    expected.push_back(kColumnWidthsBaseName + std::string(suffix));
  std::vector<std::string> listed;
  for (const SettingSpec& spec : SettingCatalogue()) {
    const std::string name = spec.name;
    if (name.starts_with(kWindowPlacementBaseName) || name.starts_with(kColumnWidthsBaseName)) listed.push_back(name);
  }
  EXPECT_EQ(listed, expected);
}

}  // namespace
