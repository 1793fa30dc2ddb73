#include "base/to_integer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace qrx {
namespace {

std::string Shown(const std::u16string& text) {
  return std::string(text.begin(), text.end());
}

TEST(ToInteger, NumbersRoundHalfToEvenAndOutOfRangeGivesTheNearestLimit) {
  // clang-format off
  const std::pair<std::u16string, int16_t> cases[] = {
      // Blanks and a sign.
      {u"42", 42}, {u"\t7 ", 7}, {u"\u30007\u3000", 7}, {u"-3", -3}, {u"+3", 3}, {u"- 3", -3},
      // Halves to even.
      {u"2.5", 2}, {u"3.5", 4}, {u"-2.5", -2}, {u"-3.5", -4}, {u"-0.6", -1}, {u"2.5000001", 3},
      {u".5", 0}, {u"5.", 5},
      // Thousands separators between integer digits.
      {u"1,000", 1000}, {u"1,00", 100}, {u"1,,2", 12}, {u"-1,2,3", -123}, {u"1,5.5", 16},
      {u"1,000.5e1", 10005},
      // Exponents.
      {u"1E3", 1000}, {u"1e-2", 0}, {u"1E+2", 100}, {u"1D3", 1000}, {u"25e-1", 2},
      {u"0E999999999", 0},
      // Literals take their width from the value.
      {u"&h1f", 31}, {u"&H7FFF", 32767}, {u"&HFFFF", -1}, {u"&H8000", -32768},
      {u"&H0000FFFF", -1}, {u" &H1 ", 1}, {u"&H10000", 32767}, {u"&HFFFFFFFF", -1},
      {u"&HFFFF8000", -32768}, {u"&HFFFF7FFF", -32768}, {u"&H123456789", 32767}, {u"&O17", 15},
      {u"&O177777", -1}, {u"&O100000", -32768}, {u"&O200000", 32767}, {u"&O37777777777", -1},
      // Out of range.
      {u"32767", 32767}, {u"-32768", -32768}, {u"40000", 32767}, {u"-40000", -32768},
      {u"32767.5", 32767}, {u"-32768.5", -32768}, {u"1E400", 32767}, {u"-1E400", -32768},
      {u"9999999999999999999999", 32767}, {u"&H" + std::u16string(300, u'F'), 32767}};
  // clang-format on
  for (const auto& [text, expected] : cases) EXPECT_EQ(ToInteger(text), expected) << Shown(text);
}

TEST(ToInteger, OtherTextIsNotNumeric) {
  // clang-format off
  const std::u16string texts[] = {
      u",5", u"5,", u"1,.5", u"1.5,5", u"5E1,0", u"&H1,0", u"1 ,000", u"1, 000", u"1E", u"1E+",
      u"1e3.5", u"E3", u"1E 3", u"1F3", u"&H", u"&O", u"&", u"&17", u"& H1", u"&H 1", u"&HFG",
      u"&O8", u"-&H10", u"+&H10", u"0x10", u"&H1.5", u"", u"   ", u"abc", u"1 2", u"--3", u"+-3",
      u"-", u".", u"1.2.3", u"3-", u"(3)", u"$3", u"\uFF11\uFF12", u"\n5", u"5\r", u"\u00A05",
      std::u16string(u"5\0", 2)};
  // clang-format on
  for (const auto& text : texts) {
    EXPECT_EQ(ParseNumericText(text), std::nullopt) << Shown(text);
    EXPECT_EQ(ToInteger(text), 0);
  }
}

TEST(ParseNumericText, GivesTheValueBeforeRoundingOrNothingBeyondDoubleRange) {
  EXPECT_EQ(ParseNumericText(u"1,000.25"), 1000.25);
  EXPECT_EQ(ParseNumericText(u"0.1"), 0.1);
  EXPECT_EQ(ParseNumericText(u"1e-400"), 0.0);
  EXPECT_EQ(ParseNumericText(u"123456789012345678901234567890"), 1.2345678901234568e29);
  EXPECT_EQ(ParseNumericText(u"0.000000000000000000000000000001e30"), 1.0);
  EXPECT_EQ(ParseNumericText(u"&HFFFF"), -1.0);  // literals: their signed value
  EXPECT_EQ(ParseNumericText(u"&H10000"), 65536.0);
  EXPECT_EQ(ParseNumericText(u"&H80000000"), -2147483648.0);
  EXPECT_EQ(ParseNumericText(u"&H100000000"), 4294967296.0);
  for (const std::u16string& text :
       {std::u16string(u"1E400"), std::u16string(u"-1E400"), u"&H" + std::u16string(300, u'F')}) {
    EXPECT_EQ(ParseNumericText(text), std::nullopt);
  }
}

}  // namespace
}  // namespace qrx
