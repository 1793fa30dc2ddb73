#include "ui/message_window.h"

#include "interpreter/answer.h"

namespace qrx {

void MessageWindow::ShowAnswer(std::u16string_view text, int16_t time) {
  if (time == kAnswerCleared) {
    balloon_.Hide(true);
    return;
  }
  if (!main_.IsWindowVisible()) return;
  n_ = time;
  nn_ = 0;
  balloon_.SetText(text, time);
  MsgWinPos();
  // Shown without taking the focus, so the command box keeps it.
  balloon_.Show();
}

void MessageWindow::MsgWinPos() {
  const WindowRect work = balloon_.WorkArea();
  const WindowRect main = picture_.OuterRect();
  if (SameRect(main, remembered_)) return;
  balloon_.Place(
      PlaceBalloon(main, skin_.picture_width, work, balloon_.Width(), skin_.numbers));
  remembered_ = main;
}

void MessageWindow::WindHide() {
  if (on_hide_) on_hide_();
  balloon_.Hide(false);
}

void MessageWindow::OnSecondTick() {
  if (n_ > 0) ++nn_;
  if (n_ == nn_) {
    n_ = 0;
    WindHide();
  }
}

void MessageWindow::OnFollowTick() {
  if (balloon_.IsVisible()) MsgWinPos();
}

}  // namespace qrx
