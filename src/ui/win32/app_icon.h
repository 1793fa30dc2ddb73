// The program's icon (window, task bar and notification area), drawn at run time: a prompt
// sign on a blue tile.
#pragma once

#include "ui/win32/ui_handles.h"

namespace qrx::win32 {

// The icon at `size` x `size` pixels (16 for small icons, 32 for large ones).
Icon MakeAppIcon(int size);

}  // namespace qrx::win32
