#include "commands/net/net_text.h"

#include <gtest/gtest.h>

#include "base/to_integer.h"

namespace qrx {
namespace {

std::string Hex(const std::string& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char b : bytes) {
    if (!out.empty()) out += ' ';
    out += kDigits[b >> 4];
    out += kDigits[b & 0xF];
  }
  return out;
}

// The packet a hardware address of six bytes must give.
std::string Expected(const std::string& six) {
  std::string packet(6, '\xFF');
  for (int i = 0; i < 16; ++i) packet += six;
  return packet;
}

TEST(LinkDatagram, OnlyTheFirstBarSeparates) {
  auto m = ParseLinkDatagram(u"192.168.1.10|SET 0 a|b");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->claimed_sender, u"192.168.1.10");
  EXPECT_EQ(m->command, u"SET 0 a|b");
  m = ParseLinkDatagram(u"|");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->claimed_sender, u"");
  EXPECT_EQ(m->command, u"");
  EXPECT_FALSE(ParseLinkDatagram(u"192.168.1.10 VER"));
  EXPECT_FALSE(ParseLinkDatagram(u""));
}

TEST(LinkList, LinesEndWithCrLfCrOrLfAndCompareExactly) {
  EXPECT_EQ(LinkListLines(u"a\r\nb\rc\nd"), (std::vector<std::u16string>{u"a", u"b", u"c", u"d"}));
  EXPECT_EQ(LinkListLines(u"a\r\n\r\nb\r\n"), (std::vector<std::u16string>{u"a", u"", u"b"}));
  EXPECT_TRUE(LinkListLines(u"").empty());

  const std::u16string list = u"10.0.0.1\r\n127.0.0.1 \r\nHOST\r\n10.0.0.1\r\n127.0.0.10\r\n";
  EXPECT_EQ(CountListed(list, u"10.0.0.1"), 2);   // listed twice
  EXPECT_EQ(CountListed(list, u"127.0.0.1"), 0);  // only with a trailing blank
  EXPECT_EQ(CountListed(list, u"host"), 0);       // case counts
  EXPECT_EQ(CountListed(list, u"HOST"), 1);
  EXPECT_EQ(CountListed(u"127.0.0.1", u"127.0.0.1"), 1);  // last line without its end
  EXPECT_EQ(CountListed(u"\r\n\r\n", u""), 2);            // callers never ask for ""
}

TEST(WakeOnLan, PacketOfTheUsualForms) {
  const std::string six("\x00\x1A\x2B\x3C\x4D\x5E", 6);
  for (const char16_t* address :
       {u"00-1A-2B-3C-4D-5E", u"00:1a:2b:3c:4d:5e", u"00 1A 2B 3C 4D 5E", u"00-1A-2B-3C-4D-5E "}) {
    SCOPED_TRACE(std::string(address, address + std::char_traits<char16_t>::length(address)));
    const auto packet = MagicPacket(address);
    ASSERT_TRUE(packet);
    EXPECT_EQ(packet->size(), kMagicPacketSize);
    EXPECT_EQ(Hex(*packet), Hex(Expected(six)));
  }
}

TEST(WakeOnLan, RejectedAddresses) {
  EXPECT_FALSE(MagicPacket(u"001A2B3C4D5E"));       // 12 characters
  EXPECT_FALSE(MagicPacket(u"00-1A-2B-3C-4D-5"));   // 16 characters
  EXPECT_FALSE(MagicPacket(u"1-22-33-44-55-66"));   // 16, and "2" splits it in three
  EXPECT_FALSE(MagicPacket(u"1-22-33-44-55-667"));  // 17, but "2" gives three parts
  EXPECT_FALSE(MagicPacket(u"00-1A-2B-3C:4D:5E"));  // five parts at "-"
  EXPECT_FALSE(MagicPacket(u""));
}

TEST(WakeOnLan, PartsAreReadAsHexadecimalAndKeepTheirLowEightBits) {
  struct Case {
    const char16_t* address;
    std::string six;
  };
  const Case cases[] = {
      // Not hexadecimal: 0.
      {u"00-1A-2B-3C-4D-ZZ", std::string("\x00\x1A\x2B\x3C\x4D\x00", 6)},
      {u"00-1A-2B-3C-4D- 5", std::string("\x00\x1A\x2B\x3C\x4D\x00", 6)},  // blank before
      {u"00-+1-2B-3C-4D-5E", std::string("\x00\x00\x2B\x3C\x4D\x5E", 6)},  // a sign
      // More than a byte: the low 8 bits.
      {u"00-100-2B-FFFF-10000-5E", std::string("\x00\x00\x2B\xFF\x00\x5E", 6)},
      {u"00-123456789ABCDEF0123-2B-3C-4D-5E", std::string("\x00\x23\x2B\x3C\x4D\x5E", 6)},
      // One digit, and empty parts.
      {u"00-1-2-3-4-5-extra", std::string("\x00\x01\x02\x03\x04\x05", 6)},
      {u"00------1A-2B-3C-4D", std::string("\x00\x00\x00\x00\x00\x00", 6)},
      // The separator is the third character, whatever it is; parts after the sixth are
      // ignored.
      {u"00x1Ax2Bx3Cx4Dx5Ex99", std::string("\x00\x1A\x2B\x3C\x4D\x5E", 6)},
      {u"FFAFFAFFAFFAFFAFFA", std::string("\xFF\xFF\xFF\xFF\xFF\xFF", 6)},
  };
  for (const Case& c : cases) {
    const auto packet = MagicPacket(c.address);
    ASSERT_TRUE(packet) << Hex(c.six);
    EXPECT_EQ(Hex(packet->substr(6, 6)), Hex(c.six));
    EXPECT_EQ(*packet, Expected(c.six));
  }
}

TEST(WakeOnLan, ABytePartReadsAsTheNumberConversionReadsIt) {
  // Wherever the number conversion's value fits in 16 bits, its low 8 bits are the byte.
  for (const std::u16string part :
       {u"0",    u"7",    u"0a",  u"A0",  u"ff",      u"0FF", u"00000FF", u"fFfF",
        u"8000", u"1234", u"12 ", u"1\t", u"1\u3000", u"G1",  u" 1",      u"",
        u"1 2",  u"-1",   u"+1",  u"1.5", u"&H1",     u"1E"}) {
    const int expected = ToInteger(u"&H" + part) & 0xFF;
    EXPECT_EQ(HardwareAddressByte(part), expected) << std::string(part.begin(), part.end());
  }
}

}  // namespace
}  // namespace qrx
