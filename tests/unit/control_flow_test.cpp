#include "interpreter/control_flow.h"

#include <gtest/gtest.h>

#include <string>

#include "base/text.h"
#include "fake/harness.h"

namespace qrx::test {
namespace {

class ControlFlowTest : public StartedTest {
 protected:
  ControlFlowTest()
      : StartedTest(u"[LBAT]\r\nERR=#A がありません\r\n[WAIT]\r\nWAIT=#A 秒待ちます\r\n") {}
  std::vector<std::u16string> Texts() const {
    std::vector<std::u16string> out;
    for (const auto& a : q.ui.answers) out.push_back(a.text);
    return out;
  }
};

TEST_F(ControlFlowTest, CommandFileRunsItsCrLfLinesInOrderFromItsFolder) {
  q.os.PutFile(u"D:\\jobs\\three.txt",
               q.os.ToAnsi(u"ANS 一\r\n\r\nREM skip\r\nANS [$L]\rANS 三\r\n"));
  q.Type(u"LBAT D:\\jobs\\three.txt arg1");
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"一", u"[arg1]", u"三"}));
  EXPECT_EQ(q.os.current_directory, u"D:\\jobs");
  q.os.PutFile(u"D:\\jobs\\lf.txt", "ANS one\nANS two\n");  // LF alone ends no line
  q.Type(u"LBAT D:\\jobs\\lf.txt");
  EXPECT_EQ(q.ui.LastAnswer(), u"one\nANS");  // "two\n" became the display time
}

TEST_F(ControlFlowTest, QuotedNameWithSpacesAndNestedFiles) {
  q.os.PutFile(u"C:\\my jobs\\outer.txt", "ANS outer[$L]\r\nLBAT inner.txt x\r\nANS back[$L]\r\n");
  q.os.PutFile(u"C:\\my jobs\\inner.txt", "ANS inner[$L]\r\n");
  q.Type(u"LBAT \"C:\\my jobs\\outer.txt\" a");
  EXPECT_EQ(Texts(), (std::vector<std::u16string>{u"outer[a]", u"inner[x]", u"back[x]"}));
}

TEST_F(ControlFlowTest, MissingFileNamesItAndChangesNothingAFileThatRunsItselfStops) {
  q.Type(u"LBAT C:\\nowhere\\none.txt");
  EXPECT_EQ(q.ui.LastAnswer(), u"C:\\nowhere\\none.txt がありません");
  EXPECT_EQ(q.ui.answers.back().time, 5);
  EXPECT_EQ(q.os.current_directory, u"C:\\work");
  q.os.PutFile(u"C:\\work\\self.txt", "LBAT self.txt\r\nLBAT self.txt\r\nLBAT self.txt\r\n");
  q.Type(u"LBAT C:\\work\\self.txt");
  EXPECT_EQ(q.ui.LastAnswer(), u"SYSTEM_NEST");
  EXPECT_EQ(q.ctx.interp.depth, 0);
}

TEST_F(ControlFlowTest, IfComparesExactly) {
  q.Type(u"ANS x");
  q.Type(u"IF a == a CLS");
  EXPECT_EQ(q.ui.answers.back().time, -2);
  q.Type(u"ANS x");
  q.Type(u"IF a == A CLS");
  EXPECT_EQ(q.ui.LastAnswer(), u"x");
  q.Type(u"IF a != A ANS differ");
  EXPECT_EQ(q.ui.LastAnswer(), u"differ");
  q.Type(u"IF \"a b\" == \"a b\" ANS quoted");
  EXPECT_EQ(q.ui.LastAnswer(), u"quoted");
  q.Type(u"IF a = a ANS never");
  q.Type(u"IF");
  EXPECT_EQ(q.ui.LastAnswer(), u"quoted");
  q.Type(u"IF $` == -1 ANS after-ok");
  EXPECT_EQ(q.ui.LastAnswer(), u"after-ok");
  q.Type(u"IF a == a IF b == b ANS nested");
  EXPECT_EQ(q.ui.LastAnswer(), u"nested");
}

TEST_F(ControlFlowTest, WaitShowsWaitsAndClears) {
  q.ui.command = u"typed";
  const uint32_t before = q.os.tick;
  q.Type(u"WAIT 2");
  ASSERT_EQ(q.ui.answers.size(), 2u);
  EXPECT_EQ(q.ui.answers[0].text, u"2 秒待ちます");
  EXPECT_EQ(q.ui.answers[0].time, -1);
  EXPECT_EQ(q.ui.answers[1].time, -2);
  EXPECT_GE(q.os.tick - before, 2000u);
  EXPECT_LT(q.os.tick - before, 2200u);
}

TEST_F(ControlFlowTest, WaitTakesLongValuesAndNonNumbersAsZeroAndEndsAcrossTheClockWrap) {
  uint32_t before = q.os.tick;
  q.Type(u"WAIT 40");  // 40000 ms: no 16-bit overflow
  EXPECT_EQ(q.os.tick - before, 40000u);
  before = q.os.tick;
  q.Type(u"WAIT x");
  q.Type(u"WAIT -3");
  EXPECT_EQ(q.os.tick, before);
  EXPECT_EQ(q.ui.answers.back().time, -2);
  q.os.tick = 0xFFFFFC00u;  // 1024 ms before the 32-bit clock wraps
  WaitMilliseconds(q.ctx, 3000);
  EXPECT_EQ(q.os.tick, 0xFFFFFC00u + 3000u);  // wrapped, and the wait still ended
}

// --- the session-end flags -----------------------------------------------------------------

// The flags the system is asked to end the session with, for one line in a fresh instance.
uint32_t FlagsOf(std::u16string_view line) {
  Instance q;
  q.Start(u"C:\\cfg\\QRX_CORE.INI");
  q.os.calls.clear();
  q.Type(line);
  for (const auto& c : q.os.calls) {
    if (c.rfind("EndSession ", 0) == 0) return static_cast<uint32_t>(std::stoul(c.substr(11)));
  }
  ADD_FAILURE() << "no session end for " << Utf16ToUtf8(line);
  return 0;
}

TEST(WindowsExitFlagsTest, WordsOptionsAndHexadecimal) {
  EXPECT_EQ(FlagsOf(u"SHUTDOWN"), 8u);
  EXPECT_EQ(FlagsOf(u"SHUTDOWN FORCED"), 12u);
  EXPECT_EQ(FlagsOf(u"shutdown forced"), 12u);
  EXPECT_EQ(FlagsOf(u"SHUTDOWN  FORCED"), 8u);  // the option begins with a blank
  EXPECT_EQ(FlagsOf(u"RESET FORCED"), 6u);
  EXPECT_EQ(FlagsOf(u"LOGOFF FORCED"), 4u);
  EXPECT_EQ(FlagsOf(u"LOGOFF"), 0u);
  EXPECT_EQ(FlagsOf(u"EWE 5"), 5u);
  EXPECT_EQ(FlagsOf(u"EWE 10"), 16u);
  EXPECT_EQ(FlagsOf(u"EWE FFFF"), 0xFFFFFFFFu);  // -1, sign-extended
  EXPECT_EQ(FlagsOf(u"EWE"), 0u);
  EXPECT_EQ(FlagsOf(u"EWE FORCED"), 4u);
  EXPECT_EQ(FlagsOf(u"EWE 12345"), 0x2345u);  // longer: the low 16 bits
  // Past 13 digits a double loses the low bits, and past 16 no 64-bit integer holds the value.
  EXPECT_EQ(FlagsOf(u"EWE FFFFFFFFFFFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_EQ(FlagsOf(u"EWE 20000000000001"), 1u);
  EXPECT_EQ(FlagsOf(u"EWE " + std::u16string(400, u'9') + u"0008 "), 8u);
  EXPECT_EQ(FlagsOf(u"EWE 1G"), 0u);
}

TEST_F(ControlFlowTest, ShutdownSavesThenAsksOnceAndNothingElse) {
  q.Type(u"ANS one");
  q.Type(u"SHUTDOWN FORCED");
  std::vector<std::string> ends;
  for (const auto& c : q.os.calls) {
    if (c.rfind("EndSession", 0) == 0) ends.push_back(c);
  }
  EXPECT_EQ(ends, std::vector<std::string>{"EndSession 12"});
  EXPECT_EQ(q.Config(u"SYSTEM", u"HIS2"), u"ANS one");
  EXPECT_FALSE(q.ui.quit);  // the system ends the program, not the command
  const size_t answers = q.ui.answers.size();
  q.Type(u"EXIT");  // the end sequence already ran
  EXPECT_EQ(q.ui.answers.size(), answers);
  EXPECT_TRUE(q.ui.quit);
}

}  // namespace
}  // namespace qrx::test
