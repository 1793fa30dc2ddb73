#include "ui/skin_geometry.h"

#include <gtest/gtest.h>

#include <array>

namespace qrx {
namespace {

TEST(SkinLayoutTest, CommandBoxAndPictureAreCentred) {
  // width, height, picture_left, box_left, box_top, box_width
  const auto laid = [](PictureSize picture, int32_t top, int32_t width) {
    const SkinLayout l = LayOutSkin(picture, top, width);
    return std::array{l.width, l.height, l.picture_left, l.box_left, l.box_top, l.box_width};
  };
  EXPECT_EQ(laid({160, 120}, 40, 100), (std::array{160, 120, 0, 30, 40, 100}));
  // A wider box widens the window; 49.5 goes to the even neighbour.
  EXPECT_EQ(laid({101, 50}, 3, 200), (std::array{200, 50, 50, 0, 3, 200}));
  EXPECT_EQ(laid({80, 50}, 0, -20), (std::array{80, 50, 0, 40, 0, 0}));  // negative: no width
}

TEST(BalloonPlaceTest, RightSideUntilItWouldReachPastTheWorkArea) {
  const WindowRect work{0, 0, 1000, 700};
  SkinNumbers n;
  n.frx = 150;
  n.fry = 44;
  n.flx = 10;
  n.fly = 54;
  // Picture 160 wide in a window 200 wide: it stands 20 in.
  const auto place = [&](int32_t left) {
    const BalloonPlace p = PlaceBalloon({left, 300, left + 200, 420}, 160, work, 222, n);
    return std::array{int32_t{p.right}, p.text_left, p.x, p.y};
  };
  EXPECT_EQ(place(100), (std::array{1, 28, 100 + 20 + 150, 300 + 44 - 34}));

  // Right edge 838: 838 + 222 - 60 = 1000, still on the work area.
  EXPECT_EQ(place(638)[0], 1);
  EXPECT_EQ(place(639), (std::array{0, 8, 639 + 20 + 10 - 222, 300 + 54 - 34}));
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
