#include "commands/net/net_text.h"

namespace qrx {
namespace {

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\u3000';
}

}  // namespace

std::optional<LinkDatagram> ParseLinkDatagram(std::u16string_view text) {
  const size_t bar = text.find(u'|');
  if (bar == std::u16string_view::npos) return std::nullopt;
  return LinkDatagram{std::u16string(text.substr(0, bar)), std::u16string(text.substr(bar + 1))};
}

namespace {

constexpr std::string_view kSignedVersion = "QRX1";

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (const char c : bytes) {
    out += kDigits[static_cast<unsigned char>(c) >> 4];
    out += kDigits[static_cast<unsigned char>(c) & 15];
  }
  return out;
}

// Exactly `size` bytes written as 2 * size lower-case hexadecimal digits.
std::optional<std::string> FromHex(std::string_view text, size_t size) {
  if (text.size() != 2 * size) return std::nullopt;
  std::string bytes;
  for (size_t i = 0; i < text.size(); i += 2) {
    int value = 0;
    for (const char c : text.substr(i, 2)) {
      const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (digit < 0) return std::nullopt;
      value = value * 16 + digit;
    }
    bytes += static_cast<char>(value);
  }
  return bytes;
}

}  // namespace

std::string SignedMessage(int64_t time, std::string_view nonce, uint16_t port,
                          std::string_view command) {
  return std::string(kSignedVersion) + "\n" + std::to_string(time) + "\n" + Hex(nonce) + "\n" +
         std::to_string(port) + "\n" + std::string(command);
}

std::string SignedPrefix(const SignedFields& fields) {
  return std::string(kSignedVersion) + " " + std::to_string(fields.time) + " " + Hex(fields.nonce) +
         " " + Hex(fields.tag);
}

std::optional<SignedFields> ParseSignedPrefix(std::string_view prefix) {
  std::vector<std::string_view> parts;
  for (size_t start = 0;;) {
    const size_t blank = prefix.find(' ', start);
    parts.push_back(prefix.substr(start, blank == std::string_view::npos ? blank : blank - start));
    if (blank == std::string_view::npos) break;
    start = blank + 1;
  }
  if (parts.size() != 4 || parts[0] != kSignedVersion) return std::nullopt;
  // Only the form the sender writes: digits without a sign, at most 18 of them.
  const std::string_view digits = parts[1];
  if (digits.empty() || digits.size() > 18) return std::nullopt;
  int64_t time = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    time = time * 10 + (c - '0');
  }
  auto nonce = FromHex(parts[2], kNonceSize);
  auto tag = FromHex(parts[3], kTagSize);
  if (!nonce || !tag) return std::nullopt;
  return SignedFields{time, std::move(*nonce), std::move(*tag)};
}

bool SameTag(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  unsigned char difference = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    difference |= static_cast<unsigned char>(a[i] ^ b[i]);
  }
  return difference == 0;
}

AddressFault SenderAddressFault(std::u16string_view text) {
  int parts[4] = {};
  size_t part = 0;
  size_t digits = 0;
  for (const char16_t c : text) {
    if (c == u'.' && digits > 0 && part < 3) {
      ++part;
      digits = 0;
    } else if (c >= u'0' && c <= u'9' && digits < 3 && !(digits == 1 && parts[part] == 0)) {
      // (no leading zero: the address must read exactly as the system writes the source)
      parts[part] = parts[part] * 10 + (c - u'0');
      ++digits;
    } else {
      return AddressFault::kNotAnAddress;
    }
  }
  if (part != 3 || digits == 0) return AddressFault::kNotAnAddress;
  for (const int p : parts) {
    if (p > 255) return AddressFault::kNotAnAddress;
  }
  const bool any = parts[0] == 0 && parts[1] == 0 && parts[2] == 0 && parts[3] == 0;
  const bool broadcast = parts[0] == 255 && parts[1] == 255 && parts[2] == 255 && parts[3] == 255;
  const bool multicast = parts[0] >= 224 && parts[0] <= 239;
  return any || broadcast || multicast ? AddressFault::kNotUnicast : AddressFault::kNone;
}

std::vector<std::u16string> LinkListLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == u'\r' && start < text.size() && text[start] == u'\n') ++start;
  }
  return lines;
}

int CountListed(std::u16string_view list_text, std::u16string_view address) {
  int count = 0;
  for (const auto& line : LinkListLines(list_text)) {
    if (line == address) ++count;
  }
  return count;
}

uint8_t HardwareAddressByte(std::u16string_view part) {
  // The number conversion reads "&H" followed by the part: hexadecimal digits in either case,
  // blanks allowed after them but not before. A value of any size keeps its last two digits.
  while (!part.empty() && IsBlank(part.back())) part.remove_suffix(1);
  if (part.empty()) return 0;
  for (const char16_t c : part) {
    if (HexDigit(c) < 0) return 0;
  }
  int value = HexDigit(part.back());
  if (part.size() >= 2) value += 16 * HexDigit(part[part.size() - 2]);
  return static_cast<uint8_t>(value);
}

std::optional<std::string> MagicPacket(std::u16string_view address) {
  constexpr size_t kMinimumLength = 17;
  constexpr size_t kParts = 6;
  if (address.size() < kMinimumLength) return std::nullopt;
  const char16_t separator = address[2];
  std::vector<std::u16string_view> parts;
  size_t start = 0;
  while (parts.size() < kParts) {
    const size_t cut = address.find(separator, start);
    parts.push_back(address.substr(start, cut == std::u16string_view::npos ? cut : cut - start));
    if (cut == std::u16string_view::npos) break;
    start = cut + 1;
  }
  if (parts.size() < kParts) return std::nullopt;
  std::string hardware;
  for (const auto part : parts) hardware += static_cast<char>(HardwareAddressByte(part));
  std::string packet(6, '\xFF');
  for (int i = 0; i < 16; ++i) packet += hardware;
  return packet;
}

}  // namespace qrx
