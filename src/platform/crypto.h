// What signing needs from the operating system: its random source, HMAC-SHA-256, and files
// that only their owner may read. Implemented with the system's own libraries (CNG on
// Windows, libsodium on POSIX); nothing here is computed by the program itself.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qrx {

class Crypto {
 public:
  virtual ~Crypto() = default;

  static constexpr size_t kHmacSize = 32;

  // HMAC-SHA-256 of the data under the key: 32 bytes; empty when the system's library
  // failed (a tag that no datagram can carry).
  virtual std::string HmacSha256(std::string_view key, std::string_view data) = 0;
  // `count` bytes from the operating system's random source; nothing when it failed.
  virtual std::optional<std::string> RandomBytes(size_t count) = 0;
  // Creates or replaces a file that only its owner may read or write (mode 0600 on POSIX;
  // on Windows an access list with the owner alone, where the file system keeps one).
  // False when it could not be written.
  virtual bool WriteSecretFile(std::u16string_view path, std::string_view bytes) = 0;
};

}  // namespace qrx
