// The network: UDP sockets that never wait, and this machine's own address.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qrx {

// What one look at a socket found: nothing waiting, a datagram, or an error the OS reported
// (for example that an earlier datagram could not be delivered).
struct SocketReading {
  enum class Kind { kNothing, kDatagram, kError };
  Kind kind = Kind::kNothing;
  std::string bytes;      // the datagram, as received
  std::u16string source;  // the address it really came from, as dotted IPv4 text
  int32_t error = 0;      // the OS's code of the error
};

// An IPv4 UDP socket with broadcasts allowed. No call ever waits.
class UdpSocket {
 public:
  virtual ~UdpSocket() = default;

  // Binds to a local port on every interface. Nothing when it worked, else the OS's reason
  // in words (with its code).
  virtual std::optional<std::u16string> Bind(uint16_t port) = 0;
  // Sends one datagram to an address or host name. False when it could not be sent. While
  // the socket is not bound the datagram leaves from a passing port, so that the socket can
  // still be bound to the port the user chooses later.
  virtual bool SendTo(std::u16string_view host, uint16_t port, std::string_view bytes) = 0;
  // The next waiting datagram or error, or nothing.
  virtual SocketReading Receive() = 0;
  // The OS's handle (a SOCKET on Windows, a descriptor on POSIX) for the host's event loop.
  virtual intptr_t NativeHandle() const = 0;
};

class Network {
 public:
  virtual ~Network() = default;
  // A new UDP socket, not bound. Never null: a socket the OS refused reports why at Bind.
  virtual std::unique_ptr<UdpSocket> OpenUdpSocket() = 0;
  // This machine's own IPv4 address as dotted text (127.0.0.1 when it has no other).
  virtual std::u16string LocalIP() = 0;
};

}  // namespace qrx
