#include "ui/win32/skin_drawing.h"

#include <cstring>

namespace qrx::win32 {
namespace {

COLORREF ToColorRef(uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

uint32_t FromColorRef(COLORREF c) {
  return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) |
         GetBValue(c);
}

}  // namespace

PictureBitmap::PictureBitmap(const Picture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return;
  void* bits = nullptr;
  bitmap_.Reset(CreatePixelBitmap(picture.width, picture.height, &bits));
  if (!bitmap_) return;
  std::memcpy(bits, picture.pixels.data(), picture.pixels.size() * sizeof(uint32_t));
  width_ = picture.width;
  height_ = picture.height;
  top_left_ = ToColorRef(picture.At(0, 0));
}

std::optional<Picture> PictureBitmap::Load(std::u16string_view path) {
  // A picture box shows its own colour through the transparent parts of a picture.
  return LoadPictureFile(path, FromColorRef(::GetSysColor(COLOR_BTNFACE)));
}

void PictureBitmap::Draw(HDC dc, int x, int y) const {
  if (!bitmap_) return;
  const ScopedMemoryDc memory(::CreateCompatibleDC(dc));
  if (!memory) return;
  const ScopedSelection selected(memory.Get(), bitmap_.Get());
  ::BitBlt(dc, x, y, width_, height_, memory.Get(), 0, 0, SRCCOPY);
}

void SetLayered(HWND window, COLORREF key, BYTE alpha, DWORD flags) {
  const LONG_PTR style = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
  ::SetWindowLongPtrW(window, GWL_EXSTYLE, style | WS_EX_LAYERED);
  ::SetLayeredWindowAttributes(window, key, alpha, flags);
}

}  // namespace qrx::win32
