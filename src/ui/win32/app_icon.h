// The program's icon (window, task bar and notification area), drawn at run time: a prompt
// sign on a blue tile.
#pragma once

#include "platform/win32/scoped_win.h"

namespace qrx::win32 {

// The icon at `size` x `size` pixels (16 for small icons, 32 for large ones).
ScopedIcon MakeAppIcon(int size);

}  // namespace qrx::win32
