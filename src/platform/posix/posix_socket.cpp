// The UDP socket and the machine's own address on POSIX.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "base/text.h"
#include "platform/posix/posix_platform.h"

namespace qrx {
namespace {

// The largest datagram UDP over IPv4 can carry, and then some.
constexpr size_t kReceiveBuffer = 65536;

std::u16string Reason(int error) {
  return Utf8ToUtf16(std::string(std::strerror(error)) + " (" + std::to_string(error) + ")");
}

int OpenDatagramSocket() {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd >= 0) {
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
  }
  return fd;
}

// A dotted address as it stands; a host name through the resolver.
std::optional<sockaddr_in> Resolve(std::u16string_view host, uint16_t port) {
  const std::string name = Utf16ToUtf8(host);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  if (::inet_pton(AF_INET, name.c_str(), &to.sin_addr) == 1) return to;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (name.empty() || ::getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0) {
    return std::nullopt;
  }
  to.sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
  ::freeaddrinfo(found);
  return to;
}

bool SendFrom(int fd, const sockaddr_in& to, std::string_view bytes) {
  const ssize_t sent = ::sendto(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&to), sizeof to);
  return sent == static_cast<ssize_t>(bytes.size());
}

std::u16string Dotted(const in_addr& address) {
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &address, text, sizeof text);
  return Utf8ToUtf16(text);
}

class PosixUdpSocket final : public UdpSocket {
 public:
  PosixUdpSocket() : fd_(OpenDatagramSocket()), open_error_(fd_ < 0 ? errno : 0) {}
  ~PosixUdpSocket() override {
    if (fd_ >= 0) ::close(fd_);
  }
  PosixUdpSocket(const PosixUdpSocket&) = delete;
  PosixUdpSocket& operator=(const PosixUdpSocket&) = delete;

  std::optional<std::u16string> Bind(uint16_t port) override {
    if (fd_ < 0) return Reason(open_error_);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    local.sin_port = htons(port);
    if (::bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
      return Reason(errno);
    }
    bound_ = true;
    return std::nullopt;
  }

  bool SendTo(std::u16string_view host, uint16_t port, std::string_view bytes) override {
    const std::optional<sockaddr_in> to = Resolve(host, port);
    if (!to) return false;
    if (bound_) return SendFrom(fd_, *to, bytes);
    // Sending from the unbound socket would bind it to a passing port for good.
    const int once = OpenDatagramSocket();
    if (once < 0) return false;
    const bool sent = SendFrom(once, *to, bytes);
    ::close(once);
    return sent;
  }

  SocketReading Receive() override {
    SocketReading reading;
    if (!bound_) return reading;
    buffer_.resize(kReceiveBuffer);
    for (;;) {
      sockaddr_in from{};
      socklen_t from_size = sizeof from;
      const ssize_t n = ::recvfrom(fd_, buffer_.data(), buffer_.size(), 0,
                                   reinterpret_cast<sockaddr*>(&from), &from_size);
      if (n >= 0) {
        reading.kind = SocketReading::Kind::kDatagram;
        reading.bytes.assign(buffer_.data(), static_cast<size_t>(n));
        reading.source = Dotted(from.sin_addr);
        return reading;
      }
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) {
        reading.kind = SocketReading::Kind::kError;
        reading.error = errno;
      }
      return reading;
    }
  }

  intptr_t NativeHandle() const override { return fd_; }

 private:
  int fd_;
  int open_error_;
  bool bound_ = false;
  std::vector<char> buffer_;
};

// The interface of the default route (from the kernel's routing table), or empty.
std::string DefaultRouteInterface() {
  std::ifstream table("/proc/net/route");
  std::string line;
  std::getline(table, line);  // the heading
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string name, destination, gateway, flags, refs, use, metric, mask;
    fields >> name >> destination >> gateway >> flags >> refs >> use >> metric >> mask;
    if (destination == "00000000" && mask == "00000000") return name;
  }
  return {};
}

}  // namespace

std::unique_ptr<UdpSocket> PosixPlatform::OpenUdpSocket() {
  return std::make_unique<PosixUdpSocket>();
}

std::u16string PosixPlatform::LocalIP() {
  // The address of the interface that carries the default route, else the first address
  // that is not a loopback one, else the loopback address.
  const std::string route = DefaultRouteInterface();
  std::u16string on_route;
  std::u16string first;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) == 0) {
    for (const ifaddrs* i = list; i != nullptr; i = i->ifa_next) {
      if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET) continue;
      if ((i->ifa_flags & IFF_LOOPBACK) != 0) continue;
      const std::u16string address =
          Dotted(reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr);
      if (first.empty()) first = address;
      if (on_route.empty() && !route.empty() && route == i->ifa_name) on_route = address;
    }
    ::freeifaddrs(list);
  }
  if (!on_route.empty()) return on_route;
  if (!first.empty()) return first;
  return u"127.0.0.1";
}

}  // namespace qrx
