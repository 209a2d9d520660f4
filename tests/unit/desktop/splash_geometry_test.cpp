#include "desktop/splash_geometry.h"

#include <gtest/gtest.h>

namespace {

TEST(SplashGeometryTest, SplashFitsNineTenthsOfTheDesktopWidthAThirdDown) {
  struct Case {
    uint32_t desktopWidth, desktopHeight;
    SplashGeometry expected;
  };
  const Case cases[] = {
      {1024, 768, {51, 199, 921, 171}}, {1920, 1080, {96, 253, 1728, 321}},  // enlarged
      {800, 100, {132, 0, 536, 100}},                                        // a flat desktop: the height limits
      {0, 768, {0, 256, 0, 0}},         {1024, 0, {512, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SplashGeometry g = ComputeSplashGeometry(c.desktopWidth, c.desktopHeight, 1342, 250);
    EXPECT_EQ(g.width, c.expected.width) << c.desktopWidth << "x" << c.desktopHeight;
    EXPECT_EQ(g.height, c.expected.height) << c.desktopWidth << "x" << c.desktopHeight;
    EXPECT_EQ(g.x, c.expected.x) << c.desktopWidth << "x" << c.desktopHeight;
    EXPECT_EQ(g.y, c.expected.y) << c.desktopWidth << "x" << c.desktopHeight;
  }
}

}  // namespace
