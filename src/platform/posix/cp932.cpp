// Code page 932 as Windows converts it, with the mapping taken from glibc's iconv ("CP932").
//
// The mapping is read out of iconv once into two tables, which then serve every conversion:
// a table lookup costs nothing next to a call into iconv, and the tables let the few places
// where glibc and Windows disagree be set right. glibc also encodes some characters that
// Windows (converting without best fit) turns into '?': YEN SIGN, OVERLINE, WAVE DASH, MINUS
// SIGN and a few others that it maps one way onto the code of a look-alike. Here a character
// is encoded only when its code decodes back to it, as on Windows. Bytes 0x80, 0xA0 and
// 0xFD-0xFF, which glibc rejects, decode as Windows decodes them.
#include "platform/posix/cp932.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qrx {

namespace {

constexpr char16_t kNone = 0xFFFF;    // no character (never a target of code page 932)
constexpr uint16_t kNoCode = 0xFFFF;  // no code (no lead byte is 0xFF)

// The byte ranges of double-byte characters, as Windows defines them for code page 932.
bool IsLeadByte(unsigned b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool IsTrailByte(unsigned b) {
  return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  ~Iconv() {
    if (ok()) ::iconv_close(cd_);
  }
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // The whole of `in` converted, or nothing when iconv takes it only in part.
  std::optional<std::string> Convert(std::string_view in) {
    ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char out[16];
    char* src = const_cast<char*>(in.data());
    size_t src_left = in.size();
    char* dst = out;
    size_t dst_left = sizeof out;
    if (::iconv(cd_, &src, &src_left, &dst, &dst_left) == static_cast<size_t>(-1) ||
        src_left != 0) {
      return std::nullopt;
    }
    return std::string(out, sizeof out - dst_left);
  }

 private:
  iconv_t cd_;
};

struct Tables {
  std::array<char16_t, 256> single{};  // the character of a byte on its own, or kNone
  std::array<bool, 256> lead{};        // the byte starts a double-byte character
  std::vector<char16_t> pair;          // [lead << 8 | trail] -> character, or kNone
  std::vector<uint16_t> code;          // character -> byte, or lead << 8 | trail, or kNoCode

  Tables() : pair(0x10000, kNone), code(0x10000, kNoCode) {
    single.fill(kNone);
    Iconv decoder("UTF-16LE", "CP932");
    Iconv encoder("CP932", "UTF-16LE");
    if (!decoder.ok() || !encoder.ok()) {
      // Without iconv only ASCII is certain.
      for (unsigned b = 0; b < 0x80; ++b) {
        single[b] = static_cast<char16_t>(b);
        code[b] = static_cast<uint16_t>(b);
      }
      return;
    }
    auto unit = [](const std::optional<std::string>& utf16) -> char16_t {
      if (!utf16 || utf16->size() != 2) return kNone;
      return static_cast<char16_t>(static_cast<unsigned char>((*utf16)[0]) |
                                   (static_cast<unsigned char>((*utf16)[1]) << 8));
    };
    std::vector<char16_t> targets;
    for (unsigned b = 0; b < 0x100; ++b) {
      const char byte = static_cast<char>(b);
      lead[b] = IsLeadByte(b);
      if (!lead[b]) {
        single[b] = unit(decoder.Convert(std::string_view(&byte, 1)));
        if (single[b] != kNone) targets.push_back(single[b]);
        continue;
      }
      for (unsigned t = 0x40; t <= 0xFC; ++t) {
        if (!IsTrailByte(t)) continue;
        const char bytes[2] = {byte, static_cast<char>(t)};
        const char16_t c = unit(decoder.Convert(std::string_view(bytes, 2)));
        pair[b << 8 | t] = c;
        if (c != kNone) targets.push_back(c);
      }
    }
    // Bytes that Windows gives characters of their own and glibc rejects.
    single[0x80] = 0x0080;
    single[0xA0] = 0xF8F0;
    single[0xFD] = 0xF8F1;
    single[0xFE] = 0xF8F2;
    single[0xFF] = 0xF8F3;
    // Where a character has several codes, glibc picks the one Windows picks; a code is kept
    // only when it decodes back to the character.
    for (const char16_t ch : targets) {
      const char utf16[2] = {static_cast<char>(ch & 0xFF), static_cast<char>(ch >> 8)};
      const auto bytes = encoder.Convert(std::string_view(utf16, 2));
      if (!bytes || bytes->empty() || bytes->size() > 2) continue;
      const unsigned b0 = static_cast<unsigned char>((*bytes)[0]);
      if (bytes->size() == 1 && !lead[b0] && single[b0] == ch) code[ch] = static_cast<uint16_t>(b0);
      if (bytes->size() == 2) {
        const unsigned b1 = static_cast<unsigned char>((*bytes)[1]);
        if (lead[b0] && pair[b0 << 8 | b1] == ch) code[ch] = static_cast<uint16_t>(b0 << 8 | b1);
      }
    }
    for (const unsigned b : {0x80u, 0xA0u, 0xFDu, 0xFEu, 0xFFu}) code[single[b]] = b;
  }
};

const Tables& Cp932Tables() {
  static const Tables tables;
  return tables;
}

}  // namespace

std::string Cp932Encode(std::u16string_view text) {
  const Tables& t = Cp932Tables();
  std::string out;
  out.reserve(text.size() * 2);
  for (const char16_t c : text) {
    // Each UTF-16 unit on its own, as Windows does: a surrogate pair becomes "??".
    const uint16_t code = t.code[c];
    if (code == kNoCode) {
      out.push_back('?');
    } else if (code < 0x100) {
      out.push_back(static_cast<char>(code));
    } else {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    }
  }
  return out;
}

std::u16string Cp932Decode(std::string_view bytes) {
  const Tables& t = Cp932Tables();
  std::u16string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const unsigned b = static_cast<unsigned char>(bytes[i]);
    if (!t.lead[b]) {
      out.push_back(t.single[b] == kNone ? u'?' : t.single[b]);
      ++i;
      continue;
    }
    const unsigned next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0x100;
    if (next < 0x100 && IsTrailByte(next)) {
      // An undefined pair is still one character: the katakana middle dot, as on Windows.
      const char16_t c = t.pair[b << 8 | next];
      out.push_back(c == kNone ? u'\u30FB' : c);
      i += 2;
    } else {
      // A lead byte without a trail byte: the byte after it is read afresh, never lost.
      out.push_back(u'?');
      ++i;
    }
  }
  return out;
}

}  // namespace qrx
