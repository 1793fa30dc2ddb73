#include "ui/popup_boxes.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace qrx {
namespace {

TEST(PopupLookTest, ComponentsScaleTo255AndADarkMeanGetsWhiteText) {
  const PopupLook look = LookFor(0.0, 0.5, 0.999);
  EXPECT_EQ((std::array<int, 3>{look.red, look.green, look.blue}), (std::array{0, 127, 254}));
  EXPECT_TRUE(look.white_text);  // mean 127
  // Components 127, 128, 128: mean 127.67, white. 128, 128, 128: mean 128, not white.
  EXPECT_TRUE(LookFor(127.5 / 255, 128.5 / 255, 128.5 / 255).white_text);
  EXPECT_FALSE(LookFor(128.5 / 255, 128.5 / 255, 128.5 / 255).white_text);
}

TEST(PopupLookTest, PlaceStaysOnTheScreen) {
  EXPECT_EQ(PopupOffset(0.0, 1000, 200), 0);
  EXPECT_EQ(PopupOffset(0.5, 1000, 200), 400);
  EXPECT_EQ(PopupOffset(0.99999, 1000, 200), 800);
  EXPECT_EQ(PopupOffset(0.7, 100, 300), 0);  // wider than the screen: at the edge
}

class FakePopups : public PopupSurface {
 public:
  struct Box {
    std::u16string text;
    PopupLook look;
    int32_t x, y;
    int32_t close_after = -1;  // -1: no timer
  };
  std::vector<Box> boxes;
  Size MeasureBox(std::u16string_view text) override {
    return {static_cast<int32_t>(text.size()) * 10, 20};
  }
  Size ScreenSize() override { return {1280, 1024}; }
  int32_t OpenBox(std::u16string_view text, const PopupLook& look, int32_t x, int32_t y) override {
    boxes.push_back({std::u16string(text), look, x, y});
    return static_cast<int32_t>(boxes.size()) - 1;
  }
  void CloseAfter(int32_t box, int32_t ms) override { boxes.at(box).close_after = ms; }
};

TEST(PopupBoxesTest, LifetimesFollowTheDisplayTime) {
  FakePopups surface;
  std::mt19937 random(7);
  PopupBoxes popups(surface, random);
  popups.Show(u"three", 3);
  popups.Show(u"forty", 40);  // beyond 16 bits of milliseconds
  popups.Show(u"zero", 0);    // no timer: stays until clicked
  ASSERT_EQ(surface.boxes.size(), 3u);
  EXPECT_EQ(surface.boxes[0].close_after, 3000);
  EXPECT_EQ(surface.boxes[1].close_after, 40000);
  EXPECT_EQ(surface.boxes[2].close_after, -1);

  popups.Show(u"sticky", -1);
  EXPECT_EQ(surface.boxes[3].close_after, -1);
  popups.Show(u"next", 3);  // the sticky box closes at once
  EXPECT_EQ(surface.boxes[3].close_after, 1);
  EXPECT_EQ(surface.boxes[4].close_after, 3000);

  popups.Show(u"kept", -5);
  popups.Show(u"", -2);  // only closes the kept box
  ASSERT_EQ(surface.boxes.size(), 6u);
  EXPECT_EQ(surface.boxes[5].close_after, 1);
  popups.Show(u"", -2);  // nothing left to close
  EXPECT_EQ(surface.boxes.size(), 6u);
}

TEST(PopupBoxesTest, BoxesGoToRandomPlacesWithinTheScreen) {
  FakePopups surface;
  std::mt19937 random(11);
  PopupBoxes popups(surface, random);
  for (int i = 0; i < 200; ++i) popups.Show(u"0123456789", 1);
  int white = 0;
  for (const auto& b : surface.boxes) {
    EXPECT_TRUE(b.x >= 0 && b.x <= 1280 - 100 && b.y >= 0 && b.y <= 1024 - 20) << b.x << "," << b.y;
    white += b.look.white_text;
  }
  EXPECT_TRUE(white > 50 && white < 150) << white;  // both kinds come up
}

}  // namespace
}  // namespace qrx
