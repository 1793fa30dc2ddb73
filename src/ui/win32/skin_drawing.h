// What the skinned windows share: pictures ready to draw, and colour-keyed transparency.
#pragma once

#include "platform/win32/win32_api.h"

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/win32/scoped_win.h"
#include "platform/win32/win32_picture.h"

namespace qrx::win32 {

// A loaded picture as a bitmap to draw, with the colour of its top-left pixel.
class PictureBitmap {
 public:
  PictureBitmap() = default;
  explicit PictureBitmap(const Picture& picture);

  // Loads a picture file (transparent parts on the colour of a picture box).
  static std::optional<Picture> Load(std::u16string_view path);

  explicit operator bool() const { return static_cast<bool>(bitmap_); }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  COLORREF top_left() const { return top_left_; }
  // Draws the picture with its top-left corner at (x, y).
  void Draw(HDC dc, int x, int y) const;

 private:
  ScopedBitmap bitmap_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  COLORREF top_left_ = 0;
};

// Every pixel of the window in the colour `key` becomes transparent and lets clicks through
// (`flags` LWA_COLORKEY); `alpha` is not used then.
void SetLayered(HWND window, COLORREF key, BYTE alpha, DWORD flags);

}  // namespace qrx::win32
