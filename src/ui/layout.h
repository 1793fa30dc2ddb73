// Size and place of the plain main window and its two boxes. The window is designed in twips
// (1/1440 inch); the real window works in pixels, so the arithmetic lives here, where it can
// be checked without a screen.
#pragma once

#include <cstdint>

namespace qrx::layout {

// A rectangle of the design, in twips.
struct TwipBox {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// The client area and the two boxes as designed.
inline constexpr int32_t kClientWidth = 4185;
inline constexpr int32_t kClientHeight = 840;
inline constexpr TwipBox kCommandBox{120, 120, 3975, 270};
inline constexpr TwipBox kAnswerLine{120, 480, 3975, 270};
// Both boxes are this much narrower than the whole window, frame included.
inline constexpr int32_t kBoxWidthAllowance = 360;
// The answer line's font size, in points.
inline constexpr int32_t kAnswerFontPoints = 9;

// Twips per pixel for a screen of `dpi` dots per inch: 15 at 96 dpi. Never below 1, so a
// nonsensical screen report cannot make a later division fail.
int32_t TwipsPerPixel(int32_t dpi);

// A length in twips as whole pixels, to the nearest pixel.
int32_t ToPixels(int32_t twips, int32_t twips_per_pixel);

// What the resize rule asks of the window in its normal state.
struct ResizeRule {
  bool fix_height = false;  // the height must go back to the design height
  int32_t box_width = 0;    // width of both boxes, in twips
};

// The resize rule for a window of `width` x `height` (frame included) when it was designed
// `design_height` high, all in twips. The boxes never get a negative width, however narrow
// the user makes the window.
ResizeRule OnResize(int32_t width, int32_t height, int32_t design_height);

}  // namespace qrx::layout
