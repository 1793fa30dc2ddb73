// What the portable window logic needs from a real (or headless) main window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qrx {

class WindowSurface {
 public:
  virtual ~WindowSurface() = default;

  virtual void SetCaption(std::u16string_view caption) = 0;
  // A new answer is written to the answer line and shown for `time` seconds.
  virtual void ShowAnswerText(std::u16string_view text, int16_t time) = 0;
  // The answer line changes while it is wiped off.
  virtual void SetAnswerText(std::u16string_view text) = 0;
  // The command box.
  virtual std::u16string CommandText() = 0;
  virtual void SetCommandText(std::u16string_view text) = 0;

  virtual void ShowWindow() = 0;
  virtual void HideWindow() = 0;
  virtual void MinimizeWindow() = 0;
  virtual bool IsWindowVisible() = 0;

  // The OS handle of the window (owner of shell dialogs, argument of outside libraries).
  virtual intptr_t NativeHandle() = 0;
};

}  // namespace qrx
