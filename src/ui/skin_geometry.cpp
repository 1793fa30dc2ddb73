#include "ui/skin_geometry.h"

#include <algorithm>

#include "base/to_integer.h"

namespace qrx {

SkinLayout LayOutSkin(PictureSize picture, int32_t iy, int32_t iw) {
  SkinLayout layout;
  layout.box_top = iy;
  layout.box_width = std::max<int32_t>(0, iw);
  layout.width = std::max(layout.box_width, picture.width);
  layout.height = picture.height;
  layout.picture_left = PictureMargin(layout.width, picture.width);
  layout.box_left = PictureMargin(layout.width, layout.box_width);
  return layout;
}

int32_t PictureMargin(int32_t window_width, int32_t picture_width) {
  const double half = (static_cast<double>(window_width) - picture_width) / 2.0;
  return static_cast<int32_t>(RoundHalfEven(half));
}

BalloonPlace PlaceBalloon(const WindowRect& main, int32_t picture_width,
                          const WindowRect& work_area, int32_t balloon_width,
                          const SkinNumbers& numbers) {
  const int32_t margin = PictureMargin(main.right - main.left, picture_width);
  BalloonPlace place;
  // 64-bit sums: the numbers come from a file the user writes.
  const int64_t right_end = int64_t{main.right} + balloon_width - kBalloonOverhang;
  place.right = right_end <= work_area.right;
  auto clamp = [](int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
  };
  if (place.right) {
    place.text_left = kBalloonTextLeftRight;
    place.x = clamp(int64_t{main.left} + margin + numbers.frx);
    place.y = clamp(int64_t{main.top} + numbers.fry - kBalloonTopOffset);
  } else {
    place.text_left = kBalloonTextLeftLeft;
    place.x = clamp(int64_t{main.left} + margin + numbers.flx - balloon_width);
    place.y = clamp(int64_t{main.top} + numbers.fly - kBalloonTopOffset);
  }
  return place;
}

}  // namespace qrx
