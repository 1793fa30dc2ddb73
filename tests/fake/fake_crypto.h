// The signing services of the fake platform. The digest stands in for HMAC-SHA-256: no HMAC,
// but every byte of key and data changes it. Random bytes count up, so nonces differ.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qrx::test {

struct FakeCrypto {
  bool random_fails = false;
  uint8_t next_random = 1;

  static std::string Digest(std::string_view key, std::string_view data) {
    std::string tag;
    for (uint64_t round = 0; round < 4; ++round) {
      uint64_t h = 0xcbf29ce484222325ULL ^ round;
      for (const char c : std::string(key) + '\xFF' + std::string(data)) {
        h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
      }
      for (int i = 0; i < 8; ++i) tag += static_cast<char>(h >> (8 * i));
    }
    return tag;
  }
  std::optional<std::string> Random(size_t count) {
    if (random_fails) return std::nullopt;
    std::string bytes;
    while (bytes.size() < count) bytes += static_cast<char>(next_random++);
    return bytes;
  }
};

}  // namespace qrx::test
