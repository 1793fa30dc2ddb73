// The keyboard's state and the focused control of other programs' windows.
#pragma once

#include <cstdint>
#include <string_view>

namespace qrx {

class Keyboard {
 public:
  virtual ~Keyboard() = default;
  // GetAsyncKeyState: non-zero when the key is down or was pressed since the last query.
  virtual int16_t AsyncKeyState(int32_t virtual_key) = 0;
  // The control that has the keyboard focus in the foreground application (0: none).
  virtual intptr_t ForegroundFocus() = 0;
  // Sends the set-text message with the text (in the ANSI code page) to a window.
  virtual void SendSetText(intptr_t window, std::u16string_view text) = 0;
};

}  // namespace qrx
