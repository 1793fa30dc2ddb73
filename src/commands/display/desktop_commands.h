// The desktop commands: KABE (wallpaper) and SS (screen saver).
#pragma once

#include <string_view>

namespace qrx {

struct Context;

// "KABE [picture]": the picture becomes the wallpaper; without one the wallpaper goes.
void KabeCommand(Context& ctx, std::u16string_view rest);
// "SS ON" / "SS OFF" in any letter case; anything else does nothing.
void ScreenSaverCommand(Context& ctx, std::u16string_view rest);

}  // namespace qrx
