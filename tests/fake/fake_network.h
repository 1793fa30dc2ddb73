// The network of the fake platform: scripted arrivals, recorded sends and binds.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace qrx::test {

struct FakeNetwork {
  struct Sent {
    std::u16string host;
    uint16_t port;
    std::string bytes;
    bool from_bound_socket;  // false: from a passing port
  };

  std::u16string local_ip = u"192.168.1.10";
  // What Receive hands out, in order; an empty queue reads as "nothing waiting".
  std::deque<SocketReading> arriving;
  std::vector<Sent> sent;
  std::map<uint16_t, std::u16string> bind_refusals;  // port -> the OS's reason
  std::optional<uint16_t> bound_port;
  bool send_fails = false;

  // Queues a datagram that came from `source`.
  void Arrive(std::u16string_view source, std::string_view bytes);
  // Queues an error of the socket.
  void Fail(int32_t code);
};

// A socket on the fake network.
class FakeSocket : public UdpSocket {
 public:
  explicit FakeSocket(FakeNetwork& net) : net_(net) {}
  std::optional<std::u16string> Bind(uint16_t port) override;
  bool SendTo(std::u16string_view host, uint16_t port, std::string_view bytes) override;
  SocketReading Receive() override;
  intptr_t NativeHandle() const override { return 77; }

 private:
  FakeNetwork& net_;
};

}  // namespace qrx::test
