// Where the parts of the skinned window go: the picture and the command box in the main
// window, and the message balloon beside it. Pure arithmetic in pixels, so it can be checked
// without a screen.
#pragma once

#include <cstdint>

#include "core/skin_state.h"
#include "core/window_surface.h"

namespace qrx {

struct PictureSize {
  int32_t width = 0;
  int32_t height = 0;
};

// The skinned main window laid out for a picture.
struct SkinLayout {
  int32_t width = 0;  // of the window: the picture's, or the command box's when wider
  int32_t height = 0;
  int32_t picture_left = 0;  // the picture is centred in the window
  int32_t box_left = 0;      // the command box is centred too
  int32_t box_top = 0;
  int32_t box_width = 0;
};

// The layout for a picture with the command box at `iy`, `iw` wide (a negative width counts
// as 0).
SkinLayout LayOutSkin(PictureSize picture, int32_t iy, int32_t iw);

// How far the picture stands in from the left of a window `window_width` wide: half the
// difference, rounded to the nearest integer (an exact half to the even one).
int32_t PictureMargin(int32_t window_width, int32_t picture_width);

// Balloon pictures and text positions of the two sides.
inline constexpr int32_t kBalloonTextLeftRight = 28;
inline constexpr int32_t kBalloonTextLeftLeft = 8;
// The balloon may reach this far past the work area's right edge before it flips left.
inline constexpr int32_t kBalloonOverhang = 60;
// FRY and FLY count from 34 pixels above the window's top.
inline constexpr int32_t kBalloonTopOffset = 34;

struct BalloonPlace {
  bool right = true;  // the balloon stands to the right of the picture (its tail points left)
  int32_t x = 0;      // top-left corner, in screen pixels
  int32_t y = 0;
  int32_t text_left = kBalloonTextLeftRight;  // the text's left edge inside the balloon
};

// The balloon's place beside a main window with the outer rectangle `main` showing a
// picture `picture_width` wide, for a balloon `balloon_width` wide: on the right unless it
// would reach more than 60 pixels past the work area's right edge.
BalloonPlace PlaceBalloon(const WindowRect& main, int32_t picture_width,
                          const WindowRect& work_area, int32_t balloon_width,
                          const SkinNumbers& numbers);

inline bool SameRect(const WindowRect& a, const WindowRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace qrx
