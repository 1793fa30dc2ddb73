// The picture loader: bitmaps, icons and metafiles through OLE's picture loader, JPEG, GIF,
// PNG (and the others the system has codecs for) through the Windows Imaging Component.
#pragma once

#include "platform/win32/win32_api.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace qrx::win32 {

// A picture as opaque pixels 0x00RRGGBB, the top row first.
struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;

  uint32_t At(int32_t x, int32_t y) const {
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
  }
};

// A 32-bit bitmap of the size whose pixels (0x00RRGGBB, top row first) are at *bits; null
// when it cannot be made. The caller deletes it.
HBITMAP CreatePixelBitmap(int32_t width, int32_t height, void** bits);

// Loads a picture file. Transparent parts (of icons, PNG and GIF pictures) are filled with
// `background` (0x00RRGGBB). Nothing when the file cannot be read as a picture, or when it
// is larger than 8192 pixels either way. COM must be usable on the calling thread.
std::optional<Picture> LoadPictureFile(std::u16string_view path, uint32_t background);

}  // namespace qrx::win32
