// The popup answer style: every answer in a small box of random colour at a random place,
// which closes itself after the answer's display time. At most one box, the sticky one,
// stays until the next answer.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string_view>

namespace qrx {

// How a box looks.
struct PopupLook {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  bool white_text = false;  // on dark colours; otherwise the text keeps its own colour
};

// The look for three numbers from [0, 1): each colour component is the integer part of the
// number times 255; the text is white when the mean of the three is below 128.
PopupLook LookFor(double red, double green, double blue);

// Where a box of `box` size goes on a screen of `screen` size for two numbers from [0, 1);
// a box larger than the screen stands at its left or top edge.
int32_t PopupOffset(double random, int32_t screen, int32_t box);

// What the popup style needs from the windows.
class PopupSurface {
 public:
  virtual ~PopupSurface() = default;

  struct Size {
    int32_t width = 0;
    int32_t height = 0;
  };
  // The size a box needs for the text, and the screen's size, in pixels.
  virtual Size MeasureBox(std::u16string_view text) = 0;
  virtual Size ScreenSize() = 0;
  // Opens a box with the text at (x, y), shown without taking the focus; returns its id.
  virtual int32_t OpenBox(std::u16string_view text, const PopupLook& look, int32_t x,
                          int32_t y) = 0;
  // The box closes itself `ms` milliseconds from now (if it is still open).
  virtual void CloseAfter(int32_t box, int32_t ms) = 0;
};

class PopupBoxes {
 public:
  PopupBoxes(PopupSurface& surface, std::mt19937& random) : surface_(surface), random_(random) {}

  // An answer for `time` seconds: a negative time keeps the box until the next answer, -2
  // only closes a kept box, 0 leaves the box open until it is clicked.
  void Show(std::u16string_view text, int16_t time);

 private:
  double Unit();

  PopupSurface& surface_;
  std::mt19937& random_;
  std::optional<int32_t> sticky_;
};

}  // namespace qrx
