// The plain main window's logic, shared by the real Win32 window and the line runner's
// headless one: the answer line with its countdown and wipe, the caption, and the Enter key.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/window_surface.h"

namespace qrx {

struct Context;

class MainWindow {
 public:
  MainWindow(Context& ctx, WindowSurface& surface) : ctx_(ctx), surface_(surface) {}

  // "1" for the plain window; answers and the position restore look at it.
  int Tag() const { return 1; }
  WindowSurface& Surface() { return surface_; }

  // Writes the current answer text into the answer line for `time` seconds.
  void ShowAnswerLine(std::u16string_view text, int16_t time);
  const std::u16string& AnswerLine() const { return answer_line_; }
  // Ticks of 100 ms before the answer line is wiped: > 0 waiting, 0 wiping, < 0 idle.
  int16_t countdown = -2;
  // False in debug mode: the hot key and the tray icon are then not handled.
  bool services_installed = true;

  void SetCaption(std::u16string_view caption);
  const std::u16string& Caption() const { return caption_; }

  // Enter in the command box: the line goes into the history and runs; the box is emptied.
  void OnEnter();
  // The periodic tick, every 100 ms.
  void Tick();

 private:
  Context& ctx_;
  WindowSurface& surface_;
  std::u16string answer_line_;
  std::u16string caption_;
};

}  // namespace qrx
