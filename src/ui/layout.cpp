#include "ui/layout.h"

#include <algorithm>

namespace qrx::layout {

int32_t TwipsPerPixel(int32_t dpi) {
  if (dpi <= 0) return 15;  // the usual screen, when the screen cannot tell
  return std::max(1, (1440 + dpi / 2) / dpi);
}

int32_t ToPixels(int32_t twips, int32_t twips_per_pixel) {
  const int32_t tpp = std::max(1, twips_per_pixel);
  const int64_t t = twips;
  const int64_t half = tpp / 2;
  const int64_t px = t >= 0 ? (t + half) / tpp : -((-t + half) / tpp);
  return static_cast<int32_t>(px);
}

ResizeRule OnResize(int32_t width, int32_t height, int32_t design_height) {
  ResizeRule rule;
  rule.fix_height = height != design_height;
  rule.box_width = std::max<int32_t>(0, width - kBoxWidthAllowance);
  return rule;
}

}  // namespace qrx::layout
