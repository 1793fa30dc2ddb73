#include "commands/net/net_text.h"

#include <gtest/gtest.h>

#include <tuple>

#include "base/to_integer.h"

namespace qrx {
namespace {

TEST(LinkDatagram, OnlyTheFirstBarSeparates) {
  auto m = ParseLinkDatagram(u"192.168.1.10|SET 0 a|b");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->claimed_sender + u"/" + m->command, u"192.168.1.10/SET 0 a|b");
  m = ParseLinkDatagram(u"|");
  ASSERT_TRUE(m);
  EXPECT_EQ(m->claimed_sender + m->command, u"");
  EXPECT_FALSE(ParseLinkDatagram(u"192.168.1.10 VER"));
  EXPECT_FALSE(ParseLinkDatagram(u""));
}

TEST(SignedDatagram, PrefixReadsBackAndOnlyTheExactFormIsTaken) {
  const SignedFields fields{1765000000, std::string(kNonceSize, '\x01'),
                            std::string(kTagSize, '\xfe')};
  const std::string prefix = SignedPrefix(fields);
  EXPECT_EQ(prefix.find('|'), std::string::npos);
  const auto back = ParseSignedPrefix(prefix);
  ASSERT_TRUE(back);
  EXPECT_EQ(std::tie(back->time, back->nonce, back->tag),
            std::tie(fields.time, fields.nonce, fields.tag));
  const std::string nonce(2 * kNonceSize, 'a');
  const std::string tag(2 * kTagSize, 'b');
  for (const std::string& bad :
       {std::string("192.168.1.10"), "QRX2 1 " + nonce + " " + tag, "QRX1 -1 " + nonce + " " + tag,
        "QRX1 1 " + nonce + " " + tag + " x", "QRX1  " + nonce + " " + tag,
        "QRX1 1 " + nonce.substr(1) + " " + tag, "QRX1 1 " + nonce + " " + tag.substr(2),
        "QRX1 1 " + nonce + " B" + tag.substr(1),
        "QRX1 1234567890123456789 " + nonce + " " + tag}) {
    EXPECT_FALSE(ParseSignedPrefix(bad)) << bad;
  }
  // Every field is in what the tag covers, each on a line of its own.
  const std::string base = SignedMessage(1, "n", 5001, "ANS x");
  for (const std::string& other :
       {SignedMessage(2, "n", 5001, "ANS x"), SignedMessage(1, "m", 5001, "ANS x"),
        SignedMessage(1, "n", 5002, "ANS x"), SignedMessage(1, "n", 5001, "ANS y")}) {
    EXPECT_NE(base, other);
  }
  EXPECT_NE(SignedMessage(11, "n", 5001, "x"), SignedMessage(1, "n", 15001, "x"));
  EXPECT_TRUE(SameTag("abc", "abc"));
  EXPECT_FALSE(SameTag("abc", "abd"));
  EXPECT_FALSE(SameTag("abc", "ab"));
}

TEST(LinkList, OnlyAUnicastDottedAddressCanBeASender) {
  for (const char16_t* good : {u"10.0.0.1", u"127.0.0.1", u"192.168.1.20", u"255.255.255.254"}) {
    EXPECT_EQ(SenderAddressFault(good), AddressFault::kNone);
  }
  for (const char16_t* bad :
       {u"10.0.0.7 ", u" 10.0.0.7", u"10.0.0.1 10.0.0.2", u"10.0.0.1\r\n", u"10.0.0", u"10.0.0.1.",
        u"10.0.0.256", u"010.0.0.1", u"host", u"10..0.1", u"", u"1.2.3.4.5", u"１.2.3.4"}) {
    EXPECT_EQ(SenderAddressFault(bad), AddressFault::kNotAnAddress);
  }
  for (const char16_t* bad : {u"0.0.0.0", u"255.255.255.255", u"224.0.0.1", u"239.255.255.250"}) {
    EXPECT_EQ(SenderAddressFault(bad), AddressFault::kNotUnicast);
  }
}

TEST(LinkList, LinesEndWithCrLfCrOrLfAndCompareExactly) {
  EXPECT_EQ(LinkListLines(u"a\r\nb\rc\nd"), (std::vector<std::u16string>{u"a", u"b", u"c", u"d"}));
  EXPECT_EQ(LinkListLines(u"a\r\n\r\nb\r\n"), (std::vector<std::u16string>{u"a", u"", u"b"}));
  EXPECT_TRUE(LinkListLines(u"").empty());

  // Listed twice, with a trailing blank, and a last line without its end are in LinkTest.
  const std::u16string list = u"HOST\r\n127.0.0.10\r\n";
  EXPECT_EQ(CountListed(list, u"host"), 0);  // case counts
  EXPECT_EQ(CountListed(list, u"127.0.0.1"), 0);
}

TEST(WakeOnLan, PartsAreReadAsHexadecimalAndKeepTheirLowEightBits) {
  // 12 and 16 characters; 17 where "2" splits in three; five parts at "-".
  for (const char16_t* bad : {u"001A2B3C4D5E", u"00-1A-2B-3C-4D-5", u"1-22-33-44-55-66",
                              u"1-22-33-44-55-667", u"00-1A-2B-3C:4D:5E", u""}) {
    EXPECT_FALSE(MagicPacket(bad));
  }
  const std::string usual("\x00\x1A\x2B\x3C\x4D\x5E", 6);
  const std::pair<const char16_t*, std::string> cases[] = {
      {u"00-1A-2B-3C-4D-5E", usual},
      {u"00:1a:2b:3c:4d:5e", usual},
      {u"00 1A 2B 3C 4D 5E", usual},
      {u"00-1A-2B-3C-4D-5E ", usual},
      // Each part as HardwareAddressByte reads it (below), past 16 bits too.
      {u"00-ZZ-2B-FFFF-10000-5E", std::string("\x00\x00\x2B\xFF\x00\x5E", 6)},
      {u"00-123456789ABCDEF0123-2B-3C-4D-5E", std::string("\x00\x23\x2B\x3C\x4D\x5E", 6)},
      // One digit, and empty parts.
      {u"00-1-2-3-4-5-extra", std::string("\x00\x01\x02\x03\x04\x05", 6)},
      {u"00------1A-2B-3C-4D", std::string("\x00\x00\x00\x00\x00\x00", 6)},
      // The separator is the third character, whatever it is; parts after the sixth are
      // ignored.
      {u"00x1Ax2Bx3Cx4Dx5Ex99", std::string("\x00\x1A\x2B\x3C\x4D\x5E", 6)},
      {u"FFAFFAFFAFFAFFAFFA", std::string("\xFF\xFF\xFF\xFF\xFF\xFF", 6)},
  };
  for (const auto& [address, six] : cases) {
    std::string expected(6, '\xFF');
    for (int i = 0; i < 16; ++i) expected += six;
    EXPECT_EQ(MagicPacket(address), expected);
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
