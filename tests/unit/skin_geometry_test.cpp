#include "ui/skin_geometry.h"

#include <gtest/gtest.h>

namespace qrx {
namespace {

TEST(SkinLayoutTest, CommandBoxAndPictureAreCentred) {
  SkinLayout l = LayOutSkin({160, 120}, 40, 100);
  EXPECT_EQ(l.width, 160);
  EXPECT_EQ(l.height, 120);
  EXPECT_EQ(l.picture_left, 0);
  EXPECT_EQ(l.box_left, 30);
  EXPECT_EQ(l.box_top, 40);
  EXPECT_EQ(l.box_width, 100);

  l = LayOutSkin({101, 50}, 3, 200);  // a wider box widens the window
  EXPECT_EQ(l.width, 200);
  EXPECT_EQ(l.picture_left, 50);  // 49.5 to the even neighbour
  EXPECT_EQ(l.box_left, 0);

  l = LayOutSkin({80, 50}, 0, -20);  // a negative width is no width
  EXPECT_EQ(l.box_width, 0);
  EXPECT_EQ(l.width, 80);
  EXPECT_EQ(l.box_left, 40);
}

TEST(BalloonPlaceTest, RightSideUntilItWouldReachPastTheWorkArea) {
  const WindowRect work{0, 0, 1000, 700};
  SkinNumbers n;
  n.frx = 150;
  n.fry = 44;
  n.flx = 10;
  n.fly = 54;
  // Picture 160 wide in a window 200 wide: it stands 20 in.
  BalloonPlace p = PlaceBalloon({100, 300, 300, 420}, 160, work, 222, n);
  EXPECT_TRUE(p.right);
  EXPECT_EQ(p.text_left, 28);
  EXPECT_EQ(p.x, 100 + 20 + 150);
  EXPECT_EQ(p.y, 300 + 44 - 34);

  // Right edge 838: 838 + 222 - 60 = 1000, still on the work area.
  p = PlaceBalloon({638, 300, 838, 420}, 160, work, 222, n);
  EXPECT_TRUE(p.right);
  p = PlaceBalloon({639, 300, 839, 420}, 160, work, 222, n);
  EXPECT_FALSE(p.right);
  EXPECT_EQ(p.text_left, 8);
  EXPECT_EQ(p.x, 639 + 20 + 10 - 222);
  EXPECT_EQ(p.y, 300 + 54 - 34);
}

TEST(BalloonPlaceTest, MarginRoundsHalvesToEven) {
  EXPECT_EQ(PictureMargin(200, 160), 20);
  EXPECT_EQ(PictureMargin(161, 160), 0);  // 0.5
  EXPECT_EQ(PictureMargin(163, 160), 2);  // 1.5
  EXPECT_EQ(PictureMargin(100, 160), -30);
}

TEST(BalloonPlaceTest, HugeNumbersDoNotOverflow) {
  SkinNumbers n;
  n.frx = INT32_MAX;
  n.fry = INT32_MIN;
  const BalloonPlace p = PlaceBalloon({100, -100, 200, 0}, 100, {0, 0, 1000, 1000}, 222, n);
  EXPECT_EQ(p.x, INT32_MAX);
  EXPECT_EQ(p.y, INT32_MIN);
}

}  // namespace
}  // namespace qrx
