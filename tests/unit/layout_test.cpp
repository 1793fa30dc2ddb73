#include "ui/layout.h"

#include <gtest/gtest.h>

namespace qrx::layout {
namespace {

TEST(TwipsPerPixel, CommonScreensAndNonsenseFromTheScreen) {
  // 192 dpi: 7.5 rounds up; 0 and negative screens count as 96 dpi.
  const int cases[][2] = {{96, 15}, {120, 12}, {144, 10},  {192, 8},
                          {0, 15},  {-96, 15}, {100000, 1}};
  for (const auto& [dpi, twips] : cases) EXPECT_EQ(TwipsPerPixel(dpi), twips) << dpi;
}

TEST(ToPixels, RoundsToNearestBothWays) {
  EXPECT_EQ(ToPixels(7, 15), 0);
  EXPECT_EQ(ToPixels(8, 15), 1);
  EXPECT_EQ(ToPixels(-8, 15), -1);
  EXPECT_EQ(ToPixels(kClientWidth, 12), 349);  // 348.75
  EXPECT_EQ(ToPixels(100, 0), 100);            // a zero scale counts as 1
}

TEST(OnResize, BoxesFollowTheWidthAndTheHeightGoesBackOnlyWhenItChanged) {
  // (width, height, height before, box width, fix height); never a negative box width
  const int cases[][5] = {{4335, 1200, 1200, 3975, 0}, {9000, 1200, 1200, 8640, 0},
                          {360, 1200, 1200, 0, 0},     {100, 1200, 1200, 0, 0},
                          {4335, 1500, 1200, 3975, 1}, {4335, 600, 1200, 3975, 1}};
  for (const auto& [width, height, before, box, fix] : cases) {
    const auto layout = OnResize(width, height, before);
    EXPECT_EQ(layout.box_width, box) << width << " " << height;
    EXPECT_EQ(layout.fix_height, fix != 0) << width << " " << height;
  }
}

}  // namespace
}  // namespace qrx::layout
