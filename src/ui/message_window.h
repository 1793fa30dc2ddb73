// The message window of the skinned layout: the speech balloon beside the picture that shows
// the answers, follows the main window, flips to the left near the right edge of the work
// area, and hides itself after the answer's display time.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "core/skin_state.h"
#include "core/window_surface.h"
#include "ui/skin_surfaces.h"

namespace qrx {

class MessageWindow {
 public:
  // `on_hide` runs when the balloon hides itself, before it is hidden (the return from an
  // answer's own skin).
  // `skin` is the skinned layout's state: the balloon is placed by the skin shown.
  MessageWindow(const SkinState& skin, WindowSurface& main, SkinSurface& picture,
                BalloonSurface& balloon, std::function<void()> on_hide)
      : skin_(skin),
        main_(main),
        picture_(picture),
        balloon_(balloon),
        on_hide_(std::move(on_hide)) {}

  // Shows an answer for `time` seconds (negative: until replaced; -2 hides the balloon).
  // Dropped while the main window is hidden.
  void ShowAnswer(std::u16string_view text, int16_t time);
  // Places the balloon beside the main window and shows it; nothing when the main window has
  // not moved since the last time.
  void MsgWinPos();
  // Forgets where the main window stood, so that the next MsgWinPos places the balloon anew.
  void ReWindPos() { remembered_ = WindowRect{}; }
  // Hides the balloon, after the return from an answer's own skin.
  void WindHide();
  // The program ends: the balloon goes without further ado.
  void Unload() { balloon_.Hide(false); }

  // The balloon's timers: every second the countdown, every 100 ms the following.
  void OnSecondTick();
  void OnFollowTick();
  void OnDoubleClick() { WindHide(); }

  // The display time in seconds and the seconds counted since the answer came.
  int16_t DisplayTime() const { return n_; }
  int16_t Elapsed() const { return nn_; }

 private:
  const SkinState& skin_;
  WindowSurface& main_;
  SkinSurface& picture_;
  BalloonSurface& balloon_;
  std::function<void()> on_hide_;
  int16_t n_ = 0;
  int16_t nn_ = 0;
  WindowRect remembered_{};
};

}  // namespace qrx
