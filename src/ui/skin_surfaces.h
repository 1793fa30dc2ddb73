// What the skinned layout needs from a real (or headless) window beyond WindowSurface: the
// picture of the main window, and the message balloon beside it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/window_surface.h"
#include "ui/skin_geometry.h"

namespace qrx {

class SkinSurface {
 public:
  virtual ~SkinSurface() = default;

  // Loads a picture file for the next ShowPicture. Nothing when the file cannot be read as
  // a picture; what the window shows then stays as it is.
  virtual std::optional<PictureSize> LoadPicture(std::u16string_view path) = 0;
  // Shows the picture loaded last, frameless, laid out as given; every pixel of the colour
  // of its top-left pixel becomes transparent and lets clicks through.
  virtual void ShowPicture(const SkinLayout& layout) = 0;
  // The window's outer rectangle as it stands now, in screen pixels.
  virtual WindowRect OuterRect() = 0;
};

class BalloonSurface {
 public:
  virtual ~BalloonSurface() = default;

  // The balloon window's width, in pixels.
  virtual int32_t Width() = 0;
  // The work area (the screen without the task bar) where the main window stands.
  virtual WindowRect WorkArea() = 0;
  // Puts an answer into the balloon; `time` is its display time, counted down by the caller.
  virtual void SetText(std::u16string_view text, int16_t time) = 0;
  // Moves to the place, with the picture of its side, on top of all other windows, without
  // taking the focus, and shows the balloon.
  virtual void Place(const BalloonPlace& place) = 0;
  virtual void Show() = 0;
  // `by_answer`: an answer cleared it (display time -2), rather than its countdown, a
  // double click or the exit.
  virtual void Hide(bool by_answer) = 0;
  virtual bool IsVisible() = 0;
};

// The surfaces a host offers for the skinned layout.
struct SkinSurfaces {
  SkinSurface& picture;
  BalloonSurface& balloon;
};

}  // namespace qrx
