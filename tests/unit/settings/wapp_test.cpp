#include "app/wapp.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/unit/settings/isolated_hives.h"
#include "tests/unit/settings/test_app.h"

namespace {

// A product that overrides only its name; everything else is inherited.
class OtherProduct : public WApp {
 public:
  const char* GetProductName() const override { return "Other Product"; }
  const char* GetVersionText() const override { return "7.1"; }
  const char* GetVersionKey() const override { return "7"; }
  const char* GetDisplayName() const override { return "Other"; }
};

class ShortKeyProduct : public OtherProduct {
 public:
  const char* GetProductKey() const override { return "op"; }
};

TEST(WAppTest, IdentityAndBaseResults) {
  TestApp app;
  const WApp& base = app;
  EXPECT_STREQ(base.GetCompanyName(), "Tarnwell, Inc.");
  EXPECT_STREQ(base.GetCompanyKey(), "tarnwell");
  EXPECT_STREQ(base.GetCompanyUrl(), "https://www.tarnwell.com/quillbox");
  EXPECT_STREQ(base.GetProductKey(), "Tarnwell Quillbox");
  EXPECT_STREQ(base.GetBuildCode(), "5481");
}

TEST(WAppTest, SetInstanceStoresTheHandleAndBuildsTheKeyPath) {
  IsolatedHives hives;
  TestApp app;
  EXPECT_EQ(app.GetInstance(), nullptr);
  EXPECT_STREQ(app.SettingsKeyName, "");
  int handle = 0;
  app.SetInstance(&handle);
  EXPECT_EQ(app.GetInstance(), &handle);
  EXPECT_STREQ(app.SettingsKeyName, "Software\\tarnwell\\Tarnwell Quillbox\\2.x");

  app.SetSettingInt("Last_Sort", 1);
  EXPECT_NE(
      ReadTextFile(hives.UserHivePath()).find("[HKEY_CURRENT_USER\\Software\\tarnwell\\Tarnwell Quillbox\\2.x]\n"),
      std::string::npos);
}

TEST(WAppTest, ProductKeyFollowsTheProductName) {
  OtherProduct other;
  other.SetInstance(nullptr);
  EXPECT_STREQ(other.SettingsKeyName, "Software\\tarnwell\\Other Product\\7.x");
  ShortKeyProduct shortKey;
  shortKey.SetInstance(nullptr);
  EXPECT_STREQ(shortKey.SettingsKeyName, "Software\\tarnwell\\op\\7.x");
}

TEST(WAppTest, KeyPathThatWouldNotFitIsNotBuilt) {
  class LongName : public OtherProduct {
   public:
    const char* GetProductName() const override { return name.c_str(); }
    std::string name = std::string(260 - 22, 'p');  // with the rest, one byte past 259
  };
  LongName fits;
  fits.name.pop_back();
  fits.SetInstance(nullptr);
  EXPECT_EQ(std::string(fits.SettingsKeyName).size(), 259u);
  LongName tooLong;
  tooLong.SetInstance(nullptr);
  EXPECT_STREQ(tooLong.SettingsKeyName, "");
}

TEST(WAppTest, GetAppIsTheLatestApplicationObject) {
  EXPECT_EQ(WApp::GetApp(), nullptr);
  {
    TestApp app;
    EXPECT_EQ(WApp::GetApp(), &app);
  }
  EXPECT_EQ(WApp::GetApp(), nullptr) << "no dangling application after destruction";
}

}  // namespace
