// CONV, ECHO, INI and LHA on the fake platform.
#include "commands/shell/text_commands.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "fake/harness.h"

namespace qrx::test {
namespace {

using std::string_literals::operator""s;

constexpr char16_t kMessages[] =
    u"[CONV]\r\nCHG=converting\r\nDONE=done\r\nERR1=bad key\r\nERR2=no output\r\n"
    u"ERR3=no input\r\nERR4=cannot write\r\n[ECHO]\r\nADD=added #B to #A\r\nERR=echo failed\r\n"
    u"[INI]\r\nR-OK=$#E=#D from #A [#B] #C\r\nW-OK=wrote #A [#B] #C=#D\r\nERR=ini failed #D\r\n"
    u"[LHA32]\r\n0=archived\r\n32780=crc\r\n32799=\r\nERR=archive error #A\r\nNONE=no library\r\n";

class TextCommandsTest : public StartedTest {
 protected:
  TextCommandsTest() : StartedTest(kMessages) {}
  // An answer as "text (time)".
  std::u16string Answer(size_t i) const {
    return q.ui.answers.at(i).text + u" (" + Decimal(q.ui.answers.at(i).time) + u")";
  }
  std::u16string Last() const { return Answer(q.ui.answers.size() - 1); }
};

TEST_F(TextCommandsTest, ConvXorsEveryByteAndReplacesTheOutputWholeOrLeavesItAlone) {
  const std::string original("\x00\x7f\x80\xff\r\n", 6);
  q.os.PutFile(u"C:\\a.bin", original);
  q.os.PutFile(u"C:\\c.bin", "a much longer previous output");
  q.Type(u"CONV 255 C:\\a.bin C:\\b.bin");
  ASSERT_EQ(q.ui.answers.size(), 2u);
  EXPECT_EQ(Answer(0), u"converting (-1)");  // shown until the work is done
  EXPECT_EQ(Last(), u"done (3)");
  EXPECT_EQ(q.os.FileBytes(u"C:\\b.bin"), "\xff\x80\x7f\x00\xf2\xf5"s);
  q.Type(u"CONV 255 C:\\b.bin C:\\c.bin");
  EXPECT_EQ(q.os.FileBytes(u"C:\\c.bin"), original);
  q.Type(u"CONV 32 C:\\c.bin C:\\c.bin");  // onto itself
  EXPECT_EQ(q.os.FileBytes(u"C:\\c.bin"), "\x20\x5f\xa0\xdf\x2d\x2a"s);
  // Failures leave the output alone.
  q.os.PutFile(u"C:\\a.bin", "abc");
  q.os.PutFile(u"C:\\b.bin", "keep");
  for (const char16_t* key : {u"256", u"-1", u"x", u"", u"70000", u"255.5"}) {
    q.os.calls.clear();
    q.Type(u"CONV " + std::u16string(key) + u" C:\\a.bin C:\\b.bin");
    EXPECT_EQ(Last(), u"bad key (5)") << Utf16ToUtf8(key);
    EXPECT_TRUE(q.os.calls.empty());  // no file touched
  }
  q.Type(u"CONV 7 C:\\a.bin");
  EXPECT_EQ(Last(), u"no output (5)");
  q.Type(u"CONV 7 C:\\none.bin C:\\b.bin");
  EXPECT_EQ(Last(), u"no input (5)");
  q.os.unwritable.insert(u"C:\\B.BIN");
  q.Type(u"CONV 7 C:\\a.bin C:\\b.bin");
  EXPECT_EQ(Last(), u"cannot write (5)");
  EXPECT_EQ(q.os.FileBytes(u"C:\\b.bin"), "keep");
}

TEST_F(TextCommandsTest, EchoAppendsTheRestAsOneAnsiLine) {
  q.Type(u"ECHO C:\\log.txt one 日本");
  q.Type(u"ECHO C:\\log.txt");
  q.Type(u"ECHO C:\\log.txt  lead");
  EXPECT_EQ(q.os.FileBytes(u"C:\\log.txt"), "one \x93\xfa\x96\x7b\r\n\r\n lead\r\n");
  EXPECT_EQ(Last(), u"added  lead to C:\\log.txt (3)");
  q.os.unwritable.insert(u"C:\\LOCKED.TXT");
  for (const char16_t* line : {u"ECHO", u"ECHO  text", u"ECHO C:\\locked.txt text"}) {
    q.Type(line);
    EXPECT_EQ(Last(), u"echo failed (5)") << Utf16ToUtf8(line);
  }
}

TEST_F(TextCommandsTest, IniReadStoresTheValueInAVariableFromZeroToNine) {
  q.os.PutFile(u"C:\\my.ini", "[SEC]\r\nKEY= a value \r\n");
  q.Type(u"INI R C:\\my.ini SEC KEY 3");
  EXPECT_EQ(q.ctx.settings.variables[3], u"a value");
  EXPECT_EQ(Last(), u"$3=a value from C:\\my.ini [SEC] KEY (3)");
  q.Type(u"INI read C:\\my.ini SEC KEY 8.6");  // rounds to 9
  EXPECT_EQ(q.ctx.settings.variables[9], u"a value");
  q.Type(u"ini r C:\\none.ini SEC KEY 3");  // missing: empty text
  EXPECT_EQ(q.ctx.settings.variables[3], u"");
  for (const char16_t* n : {u"x", u"", u"10", u"-1", u"9.6"}) {
    q.Type(u"INI R C:\\my.ini SEC KEY " + std::u16string(n));
    EXPECT_EQ(Last(), u"ini failed " + std::u16string(n) + u" (5)") << Utf16ToUtf8(n);
  }
}

TEST_F(TextCommandsTest, IniWriteTakesTheRestAsValueAndReportsRefusedWrites) {
  q.Type(u"INI W C:\\my.ini SEC KEY a b c");
  q.Type(u"INI W C:\\my.ini SEC OTHER w");
  EXPECT_EQ(q.os.ProfileGetString(u"SEC", u"KEY", u"-", u"C:\\my.ini"), u"a b c");
  EXPECT_EQ(Last(), u"wrote C:\\my.ini [SEC] OTHER=w (3)");
  q.Type(u"INI write C:\\my.ini SEC KEY");  // no value: the key goes
  EXPECT_EQ(q.os.ProfileGetString(u"SEC", u"KEY", u"-", u"C:\\my.ini"), u"-");
  EXPECT_EQ(q.os.ProfileGetString(u"SEC", u"OTHER", u"-", u"C:\\my.ini"), u"w");
  q.os.unwritable.insert(u"C:\\RO.INI");
  for (const char16_t* line : {u"INI W C:\\new.ini SEC", u"INI", u"INI X C:\\new.ini SEC KEY 1",
                               u"INI W C:\\new.ini SEC [K v", u"INI W C:\\ro.ini S K v"}) {
    q.Type(line);
    EXPECT_EQ(Last().substr(0, 10), u"ini failed") << Utf16ToUtf8(line);
    EXPECT_EQ(q.ui.answers.back().time, 5);
  }
  EXPECT_FALSE(q.os.HasFile(u"C:\\new.ini"));
  ASSERT_EQ(q.ui.boxes.size(), 2u);  // the refused writes' warnings, before their answers
  EXPECT_EQ(q.ui.boxes[1].text, u"C:\\ro.ini\rへの書き込みに失敗しました");
}

TEST_F(TextCommandsTest, LhaPassesTheWholeArgumentAndAnswersByResultCode) {
  q.Type(u"LHA x a.lzh");
  EXPECT_EQ(Last(), u"no library (5)");
  q.os.archiver_result = 0;
  q.Type(u"lha a \"my files.lzh\"  *.txt");
  EXPECT_EQ(q.os.calls.back(), "RunArchiver 4660 [a \"my files.lzh\"  *.txt]");  // owner, text
  EXPECT_EQ(Last(), u"archived (3)");
  q.os.archiver_result = 32780;  // a failure with an entry of its own is still an error
  q.Type(u"LHA t a.lzh");
  EXPECT_EQ(Last(), u"crc (5)");
  for (int32_t code : {32799, 1, -5}) {  // an empty entry counts as none
    q.os.archiver_result = code;
    q.Type(u"LHA t a.lzh");
    EXPECT_EQ(Last(), u"archive error " + Decimal(code) + u" (5)");
  }
}

}  // namespace
}  // namespace qrx::test
