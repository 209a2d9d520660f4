#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "settings/column_view.h"
#include "settings/placement_window.h"
#include "tests/unit/settings/isolated_hives.h"
#include "tests/unit/settings/test_app.h"

namespace {

const WRect kPrimary{0, 0, 1920, 1080};

class FakeWindow : public WPlacementWindow {
 public:
  bool GetNormalRect(WRect* rect) override {
    *rect = normal;
    return placementKnown;
  }
  void SetNormalRect(int x, int y, int width, int height) override { placed = WRect{x, y, x + width, y + height}; }
  bool GetMonitorRects(std::vector<WRect>* rects) override {
    *rects = monitors;
    return monitorsKnown;
  }
  bool GetWorkArea(WRect* rect) override {
    *rect = workArea;
    return workAreaKnown;
  }
  bool PositionKnown() override { return positionKnown; }

  WRect normal{100, 100, 900, 700};
  bool placementKnown = true;
  std::vector<WRect> monitors = std::vector<WRect>(1, kPrimary);
  bool monitorsKnown = true;
  WRect workArea{0, 0, 1920, 1040};
  bool workAreaKnown = true;
  bool positionKnown = true;
  std::optional<WRect> placed;
};

class FakeColumns : public WColumnView {
 public:
  explicit FakeColumns(std::vector<int> widths) : widths(std::move(widths)) {}
  int GetColumnWidth(int column) override { return column < static_cast<int>(widths.size()) ? widths[column] : 0; }
  void SetColumnWidth(int column, int width) override { widths.at(column) = width; }

  std::vector<int> widths;
};

class PlacementTest : public ::testing::Test {
 protected:
  void SetUp() override { app_.SetInstance(nullptr); }

  void Store(const std::map<std::string, int>& values) {
    for (const auto& [name, value] : values) app_.SetSettingInt(name.c_str(), value);
  }
  int Stored(const std::string& name) {
    int value = -999;
    app_.GetSettingInt(name.c_str(), &value, -999);
    return value;
  }

  IsolatedHives hives_;
  TestApp app_;
};

const WRect kRightOfPrimary{1920, 0, 3200, 1024};

TEST_F(PlacementTest, RestoreWindowPlacementCases) {
  struct Case {
    const char* what;
    std::map<std::string, int> stored;
    WRect normal;
    std::vector<WRect> monitors;
    bool monitorsKnown;
    bool workAreaKnown;
    WRect expected;  // left, top, right, bottom
  };
  const Case cases[] = {
      {"nothing stored keeps the window", {}, {100, 100, 900, 700}, {kPrimary}, true, true, {100, 100, 900, 700}},
      {"stored geometry",
       {{"W_x", 50}, {"W_y", 60}, {"W_dx", 300}, {"W_dy", 200}},
       {100, 100, 900, 700},
       {kPrimary},
       true,
       true,
       {50, 60, 350, 260}},
      {"corner within 20 px of the right edge", {}, {1901, 100, 2000, 200}, {kPrimary}, true, true, {0, 0, 99, 100}},
      {"corner 21 px from the right edge stays",
       {},
       {1899, 100, 2000, 200},
       {kPrimary},
       true,
       true,
       {1899, 100, 2000, 200}},
      {"corner within 20 px of the bottom edge", {}, {100, 1061, 200, 1161}, {kPrimary}, true, true, {0, 0, 100, 100}},
      {"corner on a second monitor",
       {{"W_x", 2500}, {"W_y", 500}},
       {100, 100, 900, 700},
       {kPrimary, kRightOfPrimary},
       true,
       true,
       {2500, 500, 3300, 1100}},
      {"monitor gone", {{"W_x", 2500}, {"W_y", 500}}, {100, 100, 900, 700}, {kPrimary}, true, true, {0, 0, 800, 600}},
      {"x on one monitor, y only on another",
       {{"W_x", 100}, {"W_y", 1070}},
       {100, 100, 900, 700},
       {kPrimary, {1920, 0, 3200, 1440}},
       true,
       true,
       {0, 0, 800, 600}},
      {"negative position becomes 0",
       {{"W_x", -5}, {"W_y", -5}},
       {100, 100, 900, 700},
       {kPrimary},
       true,
       true,
       {0, 0, 800, 600}},
      {"tiny size grows to 20",
       {{"W_dx", 3}, {"W_dy", -7}},
       {100, 100, 900, 700},
       {kPrimary},
       true,
       true,
       {100, 100, 120, 120}},
      {"no monitor list: work area test per axis",
       {{"W_x", 1901}, {"W_y", 500}},
       {100, 100, 900, 700},
       {},
       false,
       true,
       {0, 500, 800, 1100}},
      {"no monitor list: y past the work area",
       {{"W_x", 1900}, {"W_y", 1021}},
       {100, 100, 900, 700},
       {},
       false,
       true,
       {1900, 0, 2700, 600}},
      {"neither list nor work area: position stays",
       {{"W_x", 5000}, {"W_y", 5000}},
       {100, 100, 900, 700},
       {},
       false,
       false,
       {5000, 5000, 5800, 5600}},
      {"an empty monitor list finds nothing", {}, {100, 100, 900, 700}, {}, true, true, {0, 0, 800, 600}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    IsolatedHives fresh;
    Store(c.stored);
    FakeWindow window;
    window.normal = c.normal;
    window.monitors = c.monitors;
    window.monitorsKnown = c.monitorsKnown;
    window.workAreaKnown = c.workAreaKnown;
    app_.RestoreWindowPlacement("W", window);
    ASSERT_TRUE(window.placed.has_value());
    EXPECT_EQ(*window.placed, c.expected);
  }
}

TEST_F(PlacementTest, SaveStoresTheNormalRectangleAndRestoreBringsItBack) {
  FakeWindow maximised;
  maximised.normal = {200, 150, 1000, 750};  // the window's restored rectangle, not the maximised one
  app_.SaveWindowPlacement("Main_Window_Dim", maximised);
  EXPECT_EQ(Stored("Main_Window_Dim_x"), 200);
  EXPECT_EQ(Stored("Main_Window_Dim_y"), 150);
  EXPECT_EQ(Stored("Main_Window_Dim_dx"), 800);
  EXPECT_EQ(Stored("Main_Window_Dim_dy"), 600);

  FakeWindow fresh;
  app_.RestoreWindowPlacement("Main_Window_Dim", fresh);
  EXPECT_EQ(fresh.placed, (WRect{200, 150, 1000, 750}));
}

// A Wayland window always reports 0,0: the size goes and comes back, the
// position saved under X11 stays for the next X11 start.
TEST_F(PlacementTest, WithoutAKnownPositionOnlyTheSizeTravels) {
  Store({{"W_x", 300}, {"W_y", 40}, {"W_dx", 500}, {"W_dy", 400}});
  FakeWindow wayland;
  wayland.positionKnown = false;
  wayland.normal = {0, 0, 1024, 768};
  wayland.monitors = {};  // a corner test would move a kept position to 0,0
  app_.RestoreWindowPlacement("W", wayland);
  EXPECT_EQ(wayland.placed, (WRect{0, 0, 500, 400}));

  app_.SaveWindowPlacement("W", wayland);
  EXPECT_EQ(Stored("W_x"), 300);
  EXPECT_EQ(Stored("W_y"), 40);
  EXPECT_EQ(Stored("W_dx"), 1024);
  EXPECT_EQ(Stored("W_dy"), 768);

  FakeWindow x11;
  app_.RestoreWindowPlacement("W", x11);
  EXPECT_EQ(x11.placed, (WRect{300, 40, 1324, 808}));
}

TEST_F(PlacementTest, BaseNameLimitsAndFailedQueries) {
  const std::string base93(93, 'b');
  const std::string base94(94, 'b');
  FakeWindow window;
  app_.SaveWindowPlacement(base94.c_str(), window);
  EXPECT_EQ(Stored(base94 + "_x"), -999);
  app_.RestoreWindowPlacement(base94.c_str(), window);
  EXPECT_FALSE(window.placed.has_value());

  app_.SaveWindowPlacement(base93.c_str(), window);
  EXPECT_EQ(Stored(base93 + "_dy"), 600);
  app_.RestoreWindowPlacement(base93.c_str(), window);
  EXPECT_TRUE(window.placed.has_value());

  FakeWindow unknown;
  unknown.placementKnown = false;
  app_.SaveWindowPlacement("U", unknown);
  app_.RestoreWindowPlacement("U", unknown);
  EXPECT_EQ(Stored("U_x"), -999);
  EXPECT_FALSE(unknown.placed.has_value());
}

TEST_F(PlacementTest, ColumnWidthsAreClampedAndStopAtTheFirstMissingColumn) {
  struct Case {
    int stored;
    int restored;
  };
  const Case cases[] = {{0, 10}, {9, 10}, {10, 10}, {-40, 10}, {250, 250}, {70000, 0xFFFF}};
  for (const Case& c : cases) {
    app_.SetSettingInt("L_col1", c.stored);
    FakeColumns view({100, 100, 100});
    app_.RestoreColumnWidths("L", view, 3);
    EXPECT_EQ(view.widths, (std::vector<int>{100, c.restored, 100})) << c.stored;
  }

  FakeColumns two({120, 80});
  app_.SaveColumnWidths("Main_Listview_Dim", two, 3);
  EXPECT_EQ(Stored("Main_Listview_Dim_col0"), 120);
  EXPECT_EQ(Stored("Main_Listview_Dim_col1"), 80);
  EXPECT_EQ(Stored("Main_Listview_Dim_col2"), -999);

  app_.SetSettingInt("Main_Listview_Dim_col2", 300);
  FakeColumns restored({100, 100});
  app_.RestoreColumnWidths("Main_Listview_Dim", restored, 3);
  EXPECT_EQ(restored.widths, (std::vector<int>{120, 80}));

  FakeColumns gap({100, 0, 100});
  app_.RestoreColumnWidths("Main_Listview_Dim", gap, 3);
  EXPECT_EQ(gap.widths, (std::vector<int>{120, 0, 100})) << "stops at the first column that answers 0";
}

TEST_F(PlacementTest, ColumnBaseNameLimit) {
  const std::string base79(79, 'c');
  const std::string base80(80, 'c');
  FakeColumns view({100});
  app_.SaveColumnWidths(base80.c_str(), view, 1);
  EXPECT_EQ(Stored(base80 + "_col0"), -999);
  app_.SaveColumnWidths(base79.c_str(), view, 1);
  EXPECT_EQ(Stored(base79 + "_col0"), 100);

  app_.SetSettingInt((base80 + "_col0").c_str(), 50);
  app_.RestoreColumnWidths(base80.c_str(), view, 1);
  EXPECT_EQ(view.widths[0], 100);
}

}  // namespace
