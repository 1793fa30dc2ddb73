// Where the main window stands: stored as PX, PY (pixels) and WW (twips) in "SYSTEM".
#pragma once

#include <cstdint>

namespace qrx {

struct Context;

// Places the main window from the stored position; the plain window also takes its width.
void RestoreWindowPosition(Context& ctx);

// Stores the main window's position, and the plain window's width (the skinned window's
// width is its picture's); false when the configuration refused a key.
bool SaveWindowPosition(Context& ctx);

// Versions before 0.34 kept the position as WX, WY (twips): convert them once.
void MoveOldWindowPos(Context& ctx, int16_t stored_version);

}  // namespace qrx
