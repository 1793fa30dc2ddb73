// The UDP socket and the machine's own address on Windows (Winsock 2).
#include "platform/win32/win32_api.h"
// (the API header first, so that its macros are gone before the interface is read)

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace qrx {
namespace {

// The largest datagram UDP over IPv4 can carry, and then some.
constexpr int kReceiveBuffer = 65536;

std::wstring WideOf(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

// The system's words for an error code, followed by the code.
std::u16string Reason(int error) {
  wchar_t* text = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::u16string reason;
  if (length != 0 && text != nullptr) {
    reason.assign(text, text + length);
    while (!reason.empty() &&
           (reason.back() == u'\r' || reason.back() == u'\n' || reason.back() == u' ' ||
            reason.back() == u'.' || reason.back() == u'\u3002')) {
      reason.pop_back();
    }
  }
  if (text != nullptr) ::LocalFree(text);
  const std::string code = std::to_string(error);
  return reason + (reason.empty() ? u"" : u" ") + u"(" + std::u16string(code.begin(), code.end()) +
         u")";
}

SOCKET OpenDatagramSocket() {
  const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s != INVALID_SOCKET) {
    const BOOL on = TRUE;
    ::setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&on), sizeof on);
    u_long non_blocking = 1;
    ::ioctlsocket(s, FIONBIO, &non_blocking);
  }
  return s;
}

// A dotted address as it stands; a host name through the resolver.
bool Resolve(std::u16string_view host, uint16_t port, sockaddr_in& to) {
  const std::wstring name = WideOf(host);
  to = sockaddr_in{};
  to.sin_family = AF_INET;
  to.sin_port = ::htons(port);
  if (name.empty() || name.find(L'\0') != std::wstring::npos) return false;
  if (::InetPtonW(AF_INET, name.c_str(), &to.sin_addr) == 1) return true;
  ADDRINFOW hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  ADDRINFOW* found = nullptr;
  if (::GetAddrInfoW(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return false;
  to.sin_addr = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
  ::FreeAddrInfoW(found);
  return true;
}

bool SendFrom(SOCKET s, const sockaddr_in& to, std::string_view bytes) {
  const int sent = ::sendto(s, bytes.data(), static_cast<int>(bytes.size()), 0,
                            reinterpret_cast<const sockaddr*>(&to), sizeof to);
  return sent == static_cast<int>(bytes.size());
}

std::u16string Dotted(const in_addr& address) {
  wchar_t text[INET_ADDRSTRLEN] = {};
  if (::InetNtopW(AF_INET, const_cast<in_addr*>(&address), text, INET_ADDRSTRLEN) == nullptr) {
    return {};
  }
  return std::u16string(text, text + std::wcslen(text));
}

class Win32UdpSocket final : public UdpSocket {
 public:
  Win32UdpSocket()
      : socket_(OpenDatagramSocket()),
        open_error_(socket_ ? 0 : ::WSAGetLastError()) {}

  std::optional<std::u16string> Bind(uint16_t port) override {
    if (!socket_) return Reason(open_error_);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = ::htonl(INADDR_ANY);
    local.sin_port = ::htons(port);
    if (::bind(socket_.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
      return Reason(::WSAGetLastError());
    }
    bound_ = true;
    return std::nullopt;
  }

  bool SendTo(std::u16string_view host, uint16_t port, std::string_view bytes) override {
    sockaddr_in to;
    if (!Resolve(host, port, to)) return false;
    if (bound_) return SendFrom(socket_.Get(), to, bytes);
    // Sending from the unbound socket would bind it to a passing port for good.
    const win32::ScopedSocket once(OpenDatagramSocket());
    if (!once) return false;
    return SendFrom(once.Get(), to, bytes);
  }

  SocketReading Receive() override {
    SocketReading reading;
    if (!bound_) return reading;
    buffer_.resize(kReceiveBuffer);
    sockaddr_in from{};
    int from_size = sizeof from;
    const int n = ::recvfrom(socket_.Get(), buffer_.data(), kReceiveBuffer, 0,
                             reinterpret_cast<sockaddr*>(&from), &from_size);
    if (n >= 0) {
      reading.kind = SocketReading::Kind::kDatagram;
      reading.bytes.assign(buffer_.data(), static_cast<size_t>(n));
      reading.source = Dotted(from.sin_addr);
      return reading;
    }
    const int error = ::WSAGetLastError();
    if (error != WSAEWOULDBLOCK) {
      // Among others: an earlier datagram could not be delivered (WSAECONNRESET).
      reading.kind = SocketReading::Kind::kError;
      reading.error = error;
    }
    return reading;
  }

  intptr_t NativeHandle() const override { return static_cast<intptr_t>(socket_.Get()); }

 private:
  win32::ScopedWinsock winsock_;
  win32::ScopedSocket socket_;
  int open_error_;
  bool bound_ = false;
  std::vector<char> buffer_;
};

}  // namespace

std::unique_ptr<UdpSocket> Win32Platform::OpenUdpSocket() {
  return std::make_unique<Win32UdpSocket>();
}

std::u16string Win32Platform::LocalIP() {
  // The first address of this machine's own name, as the socket control gives it.
  const win32::ScopedWinsock winsock;
  char name[256] = {};
  if (::gethostname(name, sizeof name) == 0) {
    const hostent* host = ::gethostbyname(name);
    if (host != nullptr && host->h_addrtype == AF_INET && host->h_addr_list[0] != nullptr) {
      in_addr address;
      std::memcpy(&address, host->h_addr_list[0], sizeof address);
      const std::u16string dotted = Dotted(address);
      if (!dotted.empty()) return dotted;
    }
  }
  return u"127.0.0.1";
}

}  // namespace qrx
