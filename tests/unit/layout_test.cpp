#include "ui/layout.h"

#include <gtest/gtest.h>

namespace qrx::layout {
namespace {

TEST(TwipsPerPixel, CommonScreens) {
  EXPECT_EQ(TwipsPerPixel(96), 15);
  EXPECT_EQ(TwipsPerPixel(120), 12);
  EXPECT_EQ(TwipsPerPixel(144), 10);
  EXPECT_EQ(TwipsPerPixel(192), 8);  // 7.5 rounds up
}

TEST(TwipsPerPixel, NonsenseFromTheScreenStaysUsable) {
  EXPECT_EQ(TwipsPerPixel(0), 15);
  EXPECT_EQ(TwipsPerPixel(-96), 15);
  EXPECT_EQ(TwipsPerPixel(100000), 1);
}

TEST(ToPixels, RoundsToNearestBothWays) {
  EXPECT_EQ(ToPixels(7, 15), 0);
  EXPECT_EQ(ToPixels(8, 15), 1);
  EXPECT_EQ(ToPixels(-8, 15), -1);
  EXPECT_EQ(ToPixels(kClientWidth, 12), 349);  // 348.75
  EXPECT_EQ(ToPixels(100, 0), 100);            // a zero scale counts as 1
}

TEST(OnResize, BoxesFollowTheWindowWidth) {
  EXPECT_EQ(OnResize(4335, 1200, 1200).box_width, 3975);
  EXPECT_EQ(OnResize(9000, 1200, 1200).box_width, 8640);
}

TEST(OnResize, BoxesNeverGetANegativeWidth) {
  EXPECT_EQ(OnResize(360, 1200, 1200).box_width, 0);
  EXPECT_EQ(OnResize(100, 1200, 1200).box_width, 0);
}

TEST(OnResize, HeightGoesBackOnlyWhenItChanged) {
  EXPECT_FALSE(OnResize(4335, 1200, 1200).fix_height);
  EXPECT_TRUE(OnResize(4335, 1500, 1200).fix_height);
  EXPECT_TRUE(OnResize(4335, 600, 1200).fix_height);
}

}  // namespace
}  // namespace qrx::layout
