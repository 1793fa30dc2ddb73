#include "fake/fake_network.h"

namespace qrx::test {

void FakeNetwork::Arrive(std::u16string_view source, std::string_view bytes) {
  SocketReading& r = arriving.emplace_back();
  r.kind = SocketReading::Kind::kDatagram;
  r.source = std::u16string(source);
  r.bytes = std::string(bytes);
}

void FakeNetwork::Fail(int32_t code) {
  SocketReading& r = arriving.emplace_back();
  r.kind = SocketReading::Kind::kError;
  r.error = code;
}

std::optional<std::u16string> FakeSocket::Bind(uint16_t port) {
  if (net_.bound_port) return u"already bound (22)";
  if (auto refusal = net_.bind_refusals.find(port); refusal != net_.bind_refusals.end()) {
    return refusal->second;
  }
  net_.bound_port = port;
  return std::nullopt;
}

bool FakeSocket::SendTo(std::u16string_view host, uint16_t port, std::string_view bytes) {
  net_.sent.push_back(
      {std::u16string(host), port, std::string(bytes), net_.bound_port.has_value()});
  return !net_.send_fails;
}

SocketReading FakeSocket::Receive() {
  if (!net_.bound_port || net_.arriving.empty()) return {};
  SocketReading r = std::move(net_.arriving.front());
  net_.arriving.pop_front();
  return r;
}

}  // namespace qrx::test
