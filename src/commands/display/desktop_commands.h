// The desktop commands: KABE (wallpaper) and SS (screen saver).
#pragma once

#include "core/command_entry.h"

namespace qrx {

// "KABE [picture]": the picture becomes the wallpaper; without one the wallpaper goes.
void KabeCommand(Context& ctx, const CommandCall& call);
// "SS ON" / "SS OFF" in any letter case; anything else does nothing.
void ScreenSaverCommand(Context& ctx, const CommandCall& call);

}  // namespace qrx
