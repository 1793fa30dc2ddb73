// The POSIX UDP socket on the loopback interface only.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "base/text.h"
#include "platform/posix/posix_platform.h"

namespace qrx {
namespace {

constexpr char16_t kLoopback[] = u"127.0.0.1";

// A port nobody uses right now: the system's choice for a socket bound to port 0.
uint16_t FreePort() {
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t size = sizeof a;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
  ::close(fd);
  return ntohs(a.sin_port);
}

bool Readable(const UdpSocket& s, int timeout_ms) {
  pollfd p{static_cast<int>(s.NativeHandle()), POLLIN, 0};
  return ::poll(&p, 1, timeout_ms) == 1;
}

TEST(PosixSocketTest, DatagramsArriveWithTheirRealSourceAddressAlsoFromAnUnboundSocket) {
  PosixPlatform os;
  auto a = os.OpenUdpSocket();
  auto b = os.OpenUdpSocket();
  const uint16_t port_b = FreePort();
  EXPECT_EQ(b->Receive().kind, SocketReading::Kind::kNothing) << "unbound: nothing to read";
  ASSERT_EQ(b->Bind(port_b), std::nullopt);
  ASSERT_EQ(a->Bind(FreePort()), std::nullopt);
  const std::string big(60000, 'x');
  ASSERT_TRUE(a->SendTo(kLoopback, port_b, "10.1.2.3|VER"));
  ASSERT_TRUE(a->SendTo(kLoopback, port_b, big));
  ASSERT_TRUE(Readable(*b, 5000));
  SocketReading r = b->Receive();
  EXPECT_EQ(r.kind, SocketReading::Kind::kDatagram);
  EXPECT_EQ(r.source + u" " + Utf8ToUtf16(r.bytes), u"127.0.0.1 10.1.2.3|VER");
  ASSERT_TRUE(Readable(*b, 5000));
  EXPECT_EQ(b->Receive().bytes, big);
  EXPECT_EQ(b->Receive().kind, SocketReading::Kind::kNothing) << "never waits";
  // sending before the bind leaves the socket free to bind later
  auto sender = os.OpenUdpSocket();
  ASSERT_TRUE(sender->SendTo(kLoopback, port_b, "early"));
  ASSERT_TRUE(Readable(*b, 5000));
  EXPECT_EQ(b->Receive().bytes, "early");
  EXPECT_EQ(sender->Bind(FreePort()), std::nullopt);
  EXPECT_FALSE(sender->SendTo(u"", port_b, "x")) << "no address, nothing sent";
  // A port in use is refused with the reason, and another can follow.
  auto late = os.OpenUdpSocket();
  EXPECT_NE(late->Bind(port_b).value_or(u"").find(u"(98)"), std::u16string::npos);
  EXPECT_EQ(late->Bind(FreePort()), std::nullopt);
}

}  // namespace
}  // namespace qrx
