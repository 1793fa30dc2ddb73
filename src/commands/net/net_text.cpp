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
