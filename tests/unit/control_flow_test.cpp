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
  // Each line after "ANS -": the answer it leaves.
  // clang-format off
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"IF a == A ANS x", u"-"}, {u"IF a != A ANS differ", u"differ"},
      {u"IF \"a b\" == \"a b\" ANS quoted", u"quoted"}, {u"IF a = a ANS never", u"-"},
      {u"IF", u"-"}, {u"IF $` == -1 ANS after-ok", u"after-ok"},
      {u"IF a == a IF b == b ANS nested", u"nested"}};
  // clang-format on
  for (const auto& [line, answer] : cases) {
    q.Type(u"ANS -");
    q.Type(line);
    EXPECT_EQ(q.ui.LastAnswer(), answer) << Utf16ToUtf8(line);
  }
  q.Type(u"IF a == a CLS");
  EXPECT_EQ(q.ui.answers.back().time, -2);
}

TEST_F(ControlFlowTest, WaitShowsWaitsClearsTakesNonNumbersAsZeroAndEndsAcrossTheClockWrap) {
  uint32_t before = q.os.tick;
  q.Type(u"WAIT 40");  // 40000 ms: no 16-bit overflow
  ASSERT_EQ(q.ui.answers.size(), 2u);
  EXPECT_EQ(q.ui.answers[0].text, u"40 秒待ちます");
  EXPECT_EQ(q.ui.answers[0].time, -1);
  EXPECT_EQ(q.ui.answers[1].time, -2);
  EXPECT_EQ(q.os.tick - before, 40000u);
  before = q.os.tick;
  q.Type(u"WAIT x");
  q.Type(u"WAIT -3");
  EXPECT_EQ(q.os.tick, before);
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
  // An option begins after one blank; EWE's number is hexadecimal, its low 16 bits taken and
  // sign-extended; past 13 digits a double loses the low bits, past 16 no 64-bit integer holds it.
  // clang-format off
  const std::pair<std::u16string, uint32_t> cases[] = {
      {u"SHUTDOWN", 8},  {u"shutdown forced", 12}, {u"SHUTDOWN  FORCED", 8},
      {u"RESET FORCED", 6}, {u"LOGOFF FORCED", 4}, {u"LOGOFF", 0}, {u"EWE 5", 5},
      {u"EWE 10", 16}, {u"EWE FFFF", 0xFFFFFFFFu}, {u"EWE", 0}, {u"EWE FORCED", 4},
      {u"EWE 12345", 0x2345u}, {u"EWE FFFFFFFFFFFFFFFFF", 0xFFFFFFFFu},
      {u"EWE 20000000000001", 1}, {u"EWE " + std::u16string(400, u'9') + u"0008 ", 8},
      {u"EWE 1G", 0}};
  // clang-format on
  for (const auto& [line, flags] : cases) EXPECT_EQ(FlagsOf(line), flags) << Utf16ToUtf8(line);
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
