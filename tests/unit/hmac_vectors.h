// The HMAC-SHA-256 test cases 1 to 7 of RFC 4231, for every platform's HmacSha256 (the unit
// tests on POSIX, platform_check under Wine). Case 5 publishes only the first 128 bits.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qrx::test {

struct HmacVector {
  const char* name;
  std::string key;
  std::string data;
  std::string_view tag_hex;  // lower case; a prefix of the tag where the case is truncated
};

inline std::vector<HmacVector> Rfc4231Vectors() {
  std::string counting;  // 0x01 .. 0x19
  for (char c = 1; c <= 25; ++c) counting += c;
  const std::string aa131(131, '\xaa');
  return {
      {"case1", std::string(20, '\x0b'), "Hi There",
       "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
      {"case2", "Jefe", "what do ya want for nothing?",
       "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
      {"case3", std::string(20, '\xaa'), std::string(50, '\xdd'),
       "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe"},
      {"case4", counting, std::string(50, '\xcd'),
       "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b"},
      {"case5", std::string(20, '\x0c'), "Test With Truncation", "a3b6167473100ee06e0c796c2955552b"},
      {"case6", aa131, "Test Using Larger Than Block-Size Key - Hash Key First",
       "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
      {"case7", aa131,
       "This is a test using a larger than block-size key and a larger than block-size data. "
       "The key needs to be hashed before being used by the HMAC algorithm.",
       "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2"},
  };
}

// True when the tag is 32 bytes and its hexadecimal form begins with the vector's.
inline bool TagMatches(const HmacVector& v, std::string_view tag) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const char c : tag) {
    hex += kDigits[static_cast<unsigned char>(c) >> 4];
    hex += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return tag.size() == 32 && hex.compare(0, v.tag_hex.size(), v.tag_hex) == 0;
}

}  // namespace qrx::test
