#include "ui/win32/app_icon.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace qrx::win32 {
namespace {

// Distance from point p to the segment a-b.
double SegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
  const double dx = bx - ax, dy = by - ay;
  const double t = std::clamp(((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

// One premultiplied BGRA pixel of the tile.
uint32_t Pixel(int x, int y, int size) {
  const double s = size;
  const double cx = x + 0.5, cy = y + 0.5;
  // A rounded tile: outside its corners the icon is transparent.
  const double r = s / 5.0;
  const double qx = std::max({r - cx, 0.0, cx - (s - r)});
  const double qy = std::max({r - cy, 0.0, cy - (s - r)});
  if (std::hypot(qx, qy) > r) return 0;
  const double stroke = std::max(1.0, s / 10.0);
  const bool chevron =
      std::min(SegmentDistance(cx, cy, s * 0.24, s * 0.26, s * 0.50, s * 0.50),
               SegmentDistance(cx, cy, s * 0.50, s * 0.50, s * 0.24, s * 0.74)) < stroke;
  const bool underscore =
      cx >= s * 0.56 && cx <= s * 0.82 && cy >= s * 0.68 && cy < s * 0.68 + stroke * 1.4;
  if (chevron || underscore) return 0xFFFFFFFF;
  return 0xFF1F4E8C;  // opaque blue: alpha FF, then R, G, B
}

}  // namespace

ScopedIcon MakeAppIcon(int size) {
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof(header);
  header.bV5Width = size;
  header.bV5Height = -size;  // top-down rows
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  ScopedWindowDc screen;
  ScopedBitmap color(::CreateDIBSection(screen.Get(), reinterpret_cast<BITMAPINFO*>(&header),
                                        DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!color || bits == nullptr) return ScopedIcon();
  auto* px = static_cast<uint32_t*>(bits);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) px[y * size + x] = Pixel(x, y, size);
  }
  // With an alpha channel the mask only matters to old displays: all opaque there.
  const std::vector<uint8_t> opaque(static_cast<size_t>((size + 15) / 16 * 2 * size), 0);
  ScopedBitmap mask(::CreateBitmap(size, size, 1, 1, opaque.data()));
  if (!mask) return ScopedIcon();
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = color.Get();
  info.hbmMask = mask.Get();
  return ScopedIcon(::CreateIconIndirect(&info));  // copies both bitmaps
}

}  // namespace qrx::win32
