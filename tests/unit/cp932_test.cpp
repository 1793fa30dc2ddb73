// Code page 932 as Windows converts it (without best fit).
#include "platform/posix/cp932.h"

#include <gtest/gtest.h>

namespace qrx {
namespace {

TEST(Cp932Test, JapaneseRoundTripsAndDuplicateCodesEncodeAsWindowsChooses) {
  const std::u16string text = u"日本語ソ表ｱｲ①Ⅰⅰ髙～－￢∵\\~";  // ソ and 表 end in 0x5C
  const std::string bytes = Cp932Encode(text);
  EXPECT_EQ(bytes.substr(0, 10), "\x93\xFA\x96\x7B\x8C\xEA\x83\x5C\x95\x5C");
  EXPECT_EQ(Cp932Decode(bytes), text);
  // Ⅰ from NEC row 13, ⅰ from the IBM extension (not the NEC-selected copy), ￢ from JIS.
  EXPECT_EQ(Cp932Encode(u"Ⅰⅰ￢"), "\x87\x54\xFA\x40\x81\xCA");
  EXPECT_EQ(Cp932Decode("\xEE\xEF\xFA\x54"), u"ⅰ￢");
}

TEST(Cp932Test, UnmappableCharactersAndInvalidBytesBecomeQuestionMarksAndNothingIsLost) {
  // Look-alikes that glibc maps one way and Windows does not map at all.
  EXPECT_EQ(Cp932Encode(u"¥‾〜−‖¢—é€"), "?????????");
  EXPECT_EQ(Cp932Encode(u"a\U0001F600b"), "a??b");  // one per UTF-16 unit
  EXPECT_EQ(Cp932Encode(std::u16string(1, u'\0')), std::string(1, '\0'));
  EXPECT_EQ(Cp932Decode("a\x81\r\nb"), u"a?\r\nb");  // lead byte before a line break
  EXPECT_EQ(Cp932Decode("\x85\x40x"), u"・x");       // undefined pair: one character
  // The single bytes glibc rejects, as Windows reads and writes them.
  EXPECT_EQ(Cp932Decode("\x80\xA0\xFD\xFE\xFF"), u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3");
  EXPECT_EQ(Cp932Encode(u"\u0080\uF8F0\uF8F3"), "\x80\xA0\xFF");
}

}  // namespace
}  // namespace qrx
