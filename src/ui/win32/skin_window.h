// The skinned main window on Win32: the plain window's own window (its boxes, keys, tick,
// drops, hot key and tray icon stay as they are), made frameless on its first picture and
// shaped by it: the picture is drawn on the window, and every pixel of the colour of its
// top-left pixel is transparent and lets clicks through.
#pragma once

#include "platform/win32/win32_api.h"

#include <optional>
#include <string>

#include "platform/win32/win32_picture.h"
#include "ui/skin_surfaces.h"
#include "ui/win32/plain_window.h"
#include "ui/win32/skin_drawing.h"

namespace qrx {

class SkinWindow : public SkinSurface {
 public:
  explicit SkinWindow(PlainWindow& window);
  ~SkinWindow() override;
  SkinWindow(const SkinWindow&) = delete;
  SkinWindow& operator=(const SkinWindow&) = delete;

  std::optional<PictureSize> LoadPicture(std::u16string_view path) override;
  void ShowPicture(const SkinLayout& layout) override;
  WindowRect OuterRect() override;

 private:
  static constexpr UINT_PTR kSubclassId = 2;
  static LRESULT CALLBACK Subclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                   UINT_PTR id, DWORD_PTR self);
  void MakeFrameless();
  void Paint();

  HWND hwnd_;
  std::optional<win32::Picture> pending_;
  win32::PictureBitmap picture_;
  int32_t picture_left_ = 0;
  bool frameless_ = false;
};

}  // namespace qrx
