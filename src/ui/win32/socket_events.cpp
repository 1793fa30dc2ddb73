#include "ui/win32/socket_events.h"

#include <winsock2.h>

#include "ui/main_window.h"
#include "ui/win32/ui_host.h"

namespace qrx {

void Win32UiHost::WatchSocket(UdpSocket& socket) {
  // Every datagram that arrives, and every error, becomes one message to the main window;
  // reading the socket asks for the next one.
  if (owner_ == nullptr) return;
  ::WSAAsyncSelect(static_cast<SOCKET>(socket.NativeHandle()), owner_, kSocketMessage, FD_READ);
}

void DeliverSocketEvent(MainWindow& window, LPARAM lparam) {
  if (const int error = WSAGETSELECTERROR(lparam); error != 0) window.OnSocketError(error);
  // Reading also asks Winsock for the next message, after an error too (a read that reports
  // the same error again shows no second box).
  window.OnSocketReadable();
}

}  // namespace qrx
