#include <fcntl.h>
#include <sodium.h>

#include "platform/posix/posix_fs.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_sys.h"

namespace qrx {
namespace {

// libsodium must be set up once before its first use; it may be asked any number of times.
bool SodiumReady() {
  return sodium_init() >= 0;
}

}  // namespace

std::string PosixPlatform::HmacSha256(std::string_view key, std::string_view data) {
  if (!SodiumReady()) return {};
  crypto_auth_hmacsha256_state state;
  std::string tag(crypto_auth_hmacsha256_BYTES, '\0');
  auto* out = reinterpret_cast<unsigned char*>(tag.data());
  const bool done =
      crypto_auth_hmacsha256_init(&state, reinterpret_cast<const unsigned char*>(key.data()),
                                  key.size()) == 0 &&
      crypto_auth_hmacsha256_update(&state, reinterpret_cast<const unsigned char*>(data.data()),
                                    data.size()) == 0 &&
      crypto_auth_hmacsha256_final(&state, out) == 0;
  sodium_memzero(&state, sizeof state);
  return done ? tag : std::string();
}

std::optional<std::string> PosixPlatform::RandomBytes(size_t count) {
  if (!SodiumReady()) return std::nullopt;
  std::string bytes(count, '\0');
  randombytes_buf(bytes.data(), bytes.size());
  return bytes;
}

bool PosixPlatform::WriteSecretFile(std::u16string_view path, std::string_view bytes) {
  const auto fs = posix::FsPath(path);
  constexpr unsigned kOwnerOnly = 0600;
  // The temporary file is narrowed to its owner before the first byte goes in.
  return fs && posix::ReplaceFile(*sys_, *fs, kOwnerOnly, posix::Flush::kYes, [&](int fd) {
           return sys_->Fchmod(fd, kOwnerOnly) == 0 && posix::WriteAll(*sys_, fd, bytes);
         });
}

}  // namespace qrx
