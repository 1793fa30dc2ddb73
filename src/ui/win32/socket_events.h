// The main window's socket on Win32: Winsock posts kSocketMessage to the window when a
// datagram arrives or an error happens, and the window hands it to its logic. No thread
// waits for the socket.
#pragma once

#include "platform/win32/win32_api.h"

namespace qrx {

class MainWindow;

inline constexpr UINT kSocketMessage = WM_APP + 0x40;

// One kSocketMessage for the logic of the window that got it (its lParam says what happened).
void DeliverSocketEvent(MainWindow& window, LPARAM lparam);

}  // namespace qrx
