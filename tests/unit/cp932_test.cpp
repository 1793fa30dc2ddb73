// Code page 932 as Windows converts it (without best fit).
#include "platform/posix/cp932.h"

#include <gtest/gtest.h>

namespace qrx {
namespace {

TEST(Cp932Test, JapaneseRoundTripsIncludingBackslashTrailsAndExtensions) {
  const std::u16string text = u"日本語ソ表ｱｲ①Ⅰⅰ髙～－￢∵\\~";
  const std::string bytes = Cp932Encode(text);
  EXPECT_EQ(bytes.substr(0, 10), "\x93\xFA\x96\x7B\x8C\xEA\x83\x5C\x95\x5C");
  EXPECT_EQ(Cp932Decode(bytes), text);
}

TEST(Cp932Test, DuplicateCodesEncodeAsWindowsChooses) {
  EXPECT_EQ(Cp932Encode(u"Ⅰ"), "\x87\x54");  // NEC row 13, not the IBM extension
  EXPECT_EQ(Cp932Encode(u"ⅰ"), "\xFA\x40");  // IBM extension, not the NEC-selected copy
  EXPECT_EQ(Cp932Encode(u"￢"), "\x81\xCA");
  EXPECT_EQ(Cp932Decode("\xEE\xEF\xFA\x54"), u"ⅰ￢");
}

TEST(Cp932Test, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  // Look-alikes that glibc maps one way and Windows does not map at all.
  EXPECT_EQ(Cp932Encode(u"¥‾〜−‖¢—é€"), "?????????");
  EXPECT_EQ(Cp932Encode(u"a\U0001F600b"), "a??b");
  EXPECT_EQ(Cp932Encode(std::u16string{u'a', char16_t(0xD800), u'b'}), "a?b");
  EXPECT_EQ(Cp932Encode(std::u16string(1, u'\0')), std::string(1, '\0'));
}

TEST(Cp932Test, InvalidBytesBecomeQuestionMarksAndNothingIsLost) {
  EXPECT_EQ(Cp932Decode("\x93"), u"?");              // lead byte at the end
  EXPECT_EQ(Cp932Decode("a\x81\r\nb"), u"a?\r\nb");  // lead byte before a line break
  EXPECT_EQ(Cp932Decode("\x85\x40x"), u"・x");       // undefined pair: one character
  EXPECT_EQ(Cp932Decode("\x80\xA0\xFD\xFE\xFF"), u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3");
  EXPECT_EQ(Cp932Encode(u"\u0080\uF8F0\uF8F3"), "\x80\xA0\xFF");
  EXPECT_EQ(Cp932Decode(""), u"");
}

}  // namespace
}  // namespace qrx
