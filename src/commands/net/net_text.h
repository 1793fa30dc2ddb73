// The texts of the network commands, without any I/O: what a received LINK datagram says,
// the lines of a link list, and the Wake-on-LAN packet for a hardware address.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qrx {

struct LinkDatagram {
  std::u16string claimed_sender;  // the text before the first "|"; it decides nothing
  std::u16string command;         // everything after that "|", further bars included
};

// Splits a received datagram at its first "|"; nothing when it has none.
std::optional<LinkDatagram> ParseLinkDatagram(std::u16string_view text);

// A signed datagram: "QRX1 <time> <nonce> <tag>|<command>". The fields stand before the first
// "|", where plain datagrams carry the sender's address, so that a copy without a key still
// runs the command after it. Nonce and tag are lower-case hexadecimal.
struct SignedFields {
  int64_t time = 0;    // the sender's clock, seconds since 1970 UTC
  std::string nonce;   // kNonceSize random bytes
  std::string tag;     // HMAC-SHA-256 of SignedMessage(...)
};
inline constexpr size_t kNonceSize = 16;
inline constexpr size_t kTagSize = 32;

// The bytes the tag is computed over: the format version, the time, the nonce, the port the
// datagram is sent to, and the exact bytes of the command, each field on a line of its own.
std::string SignedMessage(int64_t time, std::string_view nonce, uint16_t port,
                          std::string_view command);
// The text before the "|" of a signed datagram.
std::string SignedPrefix(const SignedFields& fields);
// The fields of that text; nothing when it is not exactly in that form.
std::optional<SignedFields> ParseSignedPrefix(std::string_view prefix);
// Equal texts of equal length, compared in a time that does not depend on where they differ.
bool SameTag(std::string_view a, std::string_view b);

// True for one dotted IPv4 address that can be a sender: four decimal numbers up to 255,
// nothing else around them, and not 0.0.0.0, the broadcast address or a multicast address.
enum class AddressFault { kNone, kNotAnAddress, kNotUnicast };
AddressFault SenderAddressFault(std::u16string_view text);

// The lines of a link list file. CR LF ends a line, and so does a CR or an LF alone (a file
// edited with another editor); the last line needs no end.
std::vector<std::u16string> LinkListLines(std::u16string_view text);

// How many lines of the list equal the address exactly (same characters, same case).
int CountListed(std::u16string_view list_text, std::u16string_view address);

inline constexpr size_t kMagicPacketSize = 102;

// One part of a hardware address read as hexadecimal: the low 8 bits of its value, 0 when
// the part is not a hexadecimal number.
uint8_t HardwareAddressByte(std::u16string_view part);

// The wake-up packet for a hardware address text such as 00-1A-2B-3C-4D-5E: six bytes 0xFF,
// then the six address bytes sixteen times. Nothing when the text is rejected: shorter than
// 17 characters, or fewer than six parts when split at its third character.
std::optional<std::string> MagicPacket(std::u16string_view address);

}  // namespace qrx
