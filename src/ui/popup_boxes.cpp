#include "ui/popup_boxes.h"

#include <algorithm>

#include "base/to_integer.h"
#include "interpreter/answer.h"

namespace qrx {

PopupLook LookFor(double red, double green, double blue) {
  PopupLook look;
  look.red = static_cast<uint8_t>(red * 255);
  look.green = static_cast<uint8_t>(green * 255);
  look.blue = static_cast<uint8_t>(blue * 255);
  look.white_text = (look.red + look.green + look.blue) / 3.0 < 128;
  return look;
}

int32_t PopupOffset(double random, int32_t screen, int32_t box) {
  const int32_t room = std::max(0, screen - box);
  return static_cast<int32_t>(RoundHalfEven(random * room));
}

double PopupBoxes::Unit() {
  // 32 random bits as a fraction: exactly [0, 1) on every platform.
  return static_cast<double>(random_()) / 4294967296.0;
}

void PopupBoxes::Show(std::u16string_view text, int16_t time) {
  if (sticky_) {
    surface_.CloseAfter(*sticky_, 1);
    sticky_.reset();
  }
  if (time == kAnswerCleared) return;
  const double red = Unit();
  const double green = Unit();
  const double blue = Unit();
  const PopupLook look = LookFor(red, green, blue);
  const PopupSurface::Size box = surface_.MeasureBox(text);
  const PopupSurface::Size screen = surface_.ScreenSize();
  const int32_t x = PopupOffset(Unit(), screen.width, box.width);
  const int32_t y = PopupOffset(Unit(), screen.height, box.height);
  const int32_t id = surface_.OpenBox(text, look, x, y);
  if (time < 0) {
    sticky_ = id;
  } else if (time > 0) {
    // In 32 bits: a box asked for 40 seconds stays 40 seconds.
    surface_.CloseAfter(id, int32_t{time} * 1000);
  }
}

}  // namespace qrx
