// The desktop's settings: wallpaper and screen saver.
#pragma once

#include <string_view>

namespace qrx {

class Desktop {
 public:
  virtual ~Desktop() = default;
  // Makes the picture the desktop wallpaper (empty: no wallpaper), stored for later
  // sessions and announced to running programs. False when the setting was not changed.
  virtual bool SetWallpaper(std::u16string_view file) = 0;
  // Switches the screen saver on or off, the same way.
  virtual bool SetScreenSaverActive(bool active) = 0;
};

}  // namespace qrx
