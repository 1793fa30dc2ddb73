// CONV, ECHO, INI and LHA on the fake platform.
#include "commands/shell/text_commands.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "fake/harness.h"

namespace qrx::test {
namespace {

using std::string_literals::operator""s;

constexpr char16_t kMessages[] =
    u"[SYSTEM]\r\nSTART=start\r\n"
    u"[CONV]\r\nCHG=converting\r\nDONE=done\r\nERR1=bad key\r\nERR2=no output\r\n"
    u"ERR3=no input\r\nERR4=cannot write\r\n"
    u"[ECHO]\r\nADD=added #B to #A\r\nERR=echo failed\r\n"
    u"[INI]\r\nR-OK=$#E=#D from #A [#B] #C\r\nW-OK=wrote #A [#B] #C=#D\r\nERR=ini failed #D\r\n"
    u"[LHA32]\r\n0=archived\r\n32780=crc\r\n32799=\r\nERR=archive error #A\r\nNONE=no library\r\n";

class TextCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    q.PutDefaultMessages(kMessages);
    q.Start(u"C:\\cfg\\QRX_CORE.INI");
    q.ui.answers.clear();
    q.ui.boxes.clear();
    q.os.calls.clear();
  }
  FakeUi::Answer Last() const { return q.ui.answers.back(); }
  Instance q;
};

// --- CONV -------------------------------------------------------------------------------

TEST_F(TextCommandsTest, ConvTwiceWithTheSameKeyGivesBackTheFile) {
  const std::string original("\x00\x7f\x80\xff\r\n", 6);
  q.os.PutFile(u"C:\\a.bin", original);
  q.Type(u"CONV 255 C:\\a.bin C:\\b.bin");
  EXPECT_EQ(q.os.FileBytes(u"C:\\b.bin"), "\xff\x80\x7f\x00\xf2\xf5"s);
  q.Type(u"CONV 255 C:\\b.bin C:\\c.bin");
  EXPECT_EQ(q.os.FileBytes(u"C:\\c.bin"), original);
  EXPECT_EQ(Last().text, u"done");
  EXPECT_EQ(Last().time, 3);
}

TEST_F(TextCommandsTest, ConvShowsProgressFirst) {
  q.os.PutFile(u"C:\\a.bin", "abc");
  q.Type(u"CONV 1 C:\\a.bin C:\\b.bin");
  ASSERT_EQ(q.ui.answers.size(), 2u);
  EXPECT_EQ(q.ui.answers[0].text, u"converting");
  EXPECT_EQ(q.ui.answers[0].time, -1);
  EXPECT_EQ(q.os.FileBytes(u"C:\\b.bin"), "`cb");
}

TEST_F(TextCommandsTest, ConvKeyZeroCopiesAndLongerOutputIsReplacedWhole) {
  q.os.PutFile(u"C:\\a.bin", "short");
  q.os.PutFile(u"C:\\b.bin", "a much longer previous output");
  q.Type(u"CONV 0 C:\\a.bin C:\\b.bin");
  EXPECT_EQ(q.os.FileBytes(u"C:\\b.bin"), "short");
}

TEST_F(TextCommandsTest, ConvOntoItselfConvertsInPlace) {
  q.os.PutFile(u"C:\\a.bin", "AB");
  q.Type(u"CONV 32 C:\\a.bin C:\\a.bin");
  EXPECT_EQ(q.os.FileBytes(u"C:\\a.bin"), "ab");
}

TEST_F(TextCommandsTest, ConvKeyOutsideAByteTouchesNoFile) {
  q.os.PutFile(u"C:\\a.bin", "abc");
  for (const char16_t* key : {u"256", u"-1", u"x", u"", u"70000", u"255.5"}) {
    q.ui.answers.clear();
    q.os.calls.clear();
    q.Type(u"CONV " + std::u16string(key) + u" C:\\a.bin C:\\b.bin");
    EXPECT_EQ(Last().text, u"bad key") << Utf16ToUtf8(key);
    EXPECT_EQ(Last().time, 5);
    EXPECT_TRUE(q.os.calls.empty());
  }
  EXPECT_FALSE(q.os.HasFile(u"C:\\b.bin"));
}

TEST_F(TextCommandsTest, ConvWithoutOutputAsksForIt) {
  q.Type(u"CONV 7 C:\\a.bin");
  ASSERT_EQ(q.ui.answers.size(), 1u);
  EXPECT_EQ(Last().text, u"no output");
  EXPECT_EQ(Last().time, 5);
}

TEST_F(TextCommandsTest, ConvMissingInputWritesNothing) {
  q.os.PutFile(u"C:\\b.bin", "keep");
  q.Type(u"CONV 7 C:\\none.bin C:\\b.bin");
  EXPECT_EQ(Last().text, u"no input");
  EXPECT_EQ(Last().time, 5);
  EXPECT_EQ(q.os.FileBytes(u"C:\\b.bin"), "keep");
  q.Type(u"CONV 7 C:\\none.bin C:\\new.bin");
  EXPECT_FALSE(q.os.HasFile(u"C:\\new.bin"));
}

TEST_F(TextCommandsTest, ConvRefusedOutputIsReported) {
  q.os.PutFile(u"C:\\a.bin", "abc");
  q.os.unwritable.insert(u"C:\\RO.BIN");
  q.Type(u"CONV 7 C:\\a.bin C:\\ro.bin");
  EXPECT_EQ(Last().text, u"cannot write");
  EXPECT_EQ(Last().time, 5);
}

TEST_F(TextCommandsTest, ConvFileNamesAreUsedAsTyped) {
  q.os.PutFile(u"C:\\a b.bin", "x");
  q.Type(u"CONV 7 \"C:\\a b.bin\" C:\\out.bin");
  EXPECT_EQ(Last().text, u"no input");  // the quotes are part of the name
  q.Type(u"CONV 0 C:\\a b.bin");
  EXPECT_FALSE(q.os.HasFile(u"b.bin"));
  EXPECT_EQ(Last().text, u"no input");  // input "C:\a", output "b.bin"
}

// --- ECHO -------------------------------------------------------------------------------

TEST_F(TextCommandsTest, EchoAppendsTheRestAsOneLine) {
  q.Type(u"ECHO C:\\log.txt one two");
  q.Type(u"ECHO C:\\log.txt");
  q.Type(u"ECHO C:\\log.txt  lead");
  EXPECT_EQ(q.os.FileBytes(u"C:\\log.txt"), "one two\r\n\r\n lead\r\n");
  EXPECT_EQ(Last().text, u"added  lead to C:\\log.txt");
  EXPECT_EQ(Last().time, 3);
}

TEST_F(TextCommandsTest, EchoWritesTheAnsiCodePage) {
  q.Type(u"ECHO C:\\log.txt 日本");
  EXPECT_EQ(q.os.FileBytes(u"C:\\log.txt"), "\x93\xfa\x96\x7b\r\n");
}

TEST_F(TextCommandsTest, EchoWithoutFileOrWithAFileThatCannotBeOpened) {
  q.Type(u"ECHO");
  EXPECT_EQ(Last().text, u"echo failed");
  q.Type(u"ECHO  text");
  EXPECT_EQ(Last().text, u"echo failed");
  q.os.unwritable.insert(u"C:\\LOCKED.TXT");
  q.Type(u"ECHO C:\\locked.txt text");
  EXPECT_EQ(Last().text, u"echo failed");
  EXPECT_EQ(Last().time, 5);
}

// --- INI --------------------------------------------------------------------------------

TEST_F(TextCommandsTest, IniReadStoresTheValueInTheVariable) {
  q.os.PutFile(u"C:\\my.ini", "[SEC]\r\nKEY= a value \r\n");
  q.Type(u"INI R C:\\my.ini SEC KEY 3");
  EXPECT_EQ(q.ctx.settings.variables[3], u"a value");
  EXPECT_EQ(Last().text, u"$3=a value from C:\\my.ini [SEC] KEY");
  EXPECT_EQ(q.ctx.answer.params[4], u"3");
  EXPECT_EQ(Last().time, 3);
}

TEST_F(TextCommandsTest, IniReadOfAMissingKeyStoresEmptyText) {
  q.ctx.settings.variables[0] = u"old";
  q.Type(u"ini read C:\\none.ini SEC KEY 0");
  EXPECT_EQ(q.ctx.settings.variables[0], u"");
  EXPECT_EQ(Last().time, 3);
}

TEST_F(TextCommandsTest, IniReadNeedsAVariableFromZeroToNine) {
  q.os.PutFile(u"C:\\my.ini", "[SEC]\r\nKEY=v\r\n");
  for (const char16_t* n : {u"x", u"", u"10", u"-1", u"9.6"}) {
    q.Type(u"INI R C:\\my.ini SEC KEY " + std::u16string(n));
    EXPECT_EQ(Last().text, u"ini failed " + std::u16string(n)) << Utf16ToUtf8(n);
    EXPECT_EQ(Last().time, 5);
  }
  q.Type(u"INI R C:\\my.ini SEC KEY 8.6");  // rounds to 9
  EXPECT_EQ(q.ctx.settings.variables[9], u"v");
}

TEST_F(TextCommandsTest, IniWriteTakesTheRestOfTheLineAsValue) {
  q.Type(u"INI W C:\\my.ini SEC KEY a b c");
  EXPECT_EQ(q.os.ProfileGetString(u"SEC", u"KEY", u"-", u"C:\\my.ini"), u"a b c");
  EXPECT_EQ(Last().text, u"wrote C:\\my.ini [SEC] KEY=a b c");
  EXPECT_EQ(Last().time, 3);
}

TEST_F(TextCommandsTest, IniWriteWithoutValueRemovesTheKey) {
  q.os.PutFile(u"C:\\my.ini", "[SEC]\r\nKEY=v\r\nOTHER=w\r\n");
  q.Type(u"INI write C:\\my.ini SEC KEY");
  EXPECT_EQ(q.os.ProfileGetString(u"SEC", u"KEY", u"-", u"C:\\my.ini"), u"-");
  EXPECT_EQ(q.os.ProfileGetString(u"SEC", u"OTHER", u"-", u"C:\\my.ini"), u"w");
  EXPECT_EQ(Last().time, 3);
}

TEST_F(TextCommandsTest, IniRefusedWriteIsAnErrorAfterTheWarning) {
  q.os.unwritable.insert(u"C:\\RO.INI");
  q.Type(u"INI W C:\\ro.ini SEC KEY v");
  ASSERT_EQ(q.ui.boxes.size(), 1u);
  EXPECT_EQ(q.ui.boxes[0].text, u"C:\\ro.ini\rへの書き込みに失敗しました");
  EXPECT_EQ(Last().text, u"ini failed v");
  EXPECT_EQ(Last().time, 5);
}

TEST_F(TextCommandsTest, IniWithoutKeyOrModeIsAnError) {
  for (const char16_t* line : {u"INI W C:\\my.ini SEC", u"INI", u"INI X C:\\my.ini SEC KEY 1",
                               u"INI  C:\\my.ini SEC KEY 1"}) {
    q.ui.answers.clear();
    q.Type(line);
    EXPECT_EQ(Last().time, 5) << Utf16ToUtf8(line);
  }
  EXPECT_FALSE(q.os.HasFile(u"C:\\my.ini"));
  EXPECT_TRUE(q.ui.boxes.empty());
}

// --- LHA --------------------------------------------------------------------------------

TEST_F(TextCommandsTest, LhaWithoutLibraryAnswersNone) {
  q.Type(u"LHA x a.lzh");
  EXPECT_EQ(Last().text, u"no library");
  EXPECT_EQ(Last().time, 5);
}

TEST_F(TextCommandsTest, LhaPassesTheWholeArgumentAndTheOwner) {
  q.os.archiver_result = 0;
  q.Type(u"lha a \"my files.lzh\"  *.txt");
  ASSERT_EQ(q.os.calls.size(), 1u);
  EXPECT_EQ(q.os.calls[0], "RunArchiver 4660 [a \"my files.lzh\"  *.txt]");
  EXPECT_EQ(Last().text, u"archived");
  EXPECT_EQ(Last().time, 3);
  EXPECT_EQ(q.ctx.answer.params[0], u"0");
}

TEST_F(TextCommandsTest, LhaCodesWithAnEntryAreNormalAnswers) {
  q.os.archiver_result = 32780;
  q.Type(u"LHA t a.lzh");
  EXPECT_EQ(Last().text, u"crc");
  EXPECT_EQ(Last().time, 3);
}

TEST_F(TextCommandsTest, LhaCodesWithoutTextAreErrorsNamingTheCode) {
  for (int32_t code : {32799, 1, -5}) {
    q.os.archiver_result = code;
    q.Type(u"LHA t a.lzh");
    EXPECT_EQ(Last().text, u"archive error " + Decimal(code));
    EXPECT_EQ(Last().time, 5);
  }
}

}  // namespace
}  // namespace qrx::test
