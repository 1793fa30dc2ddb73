// SH, .R and the direct-mode launch on the fake platform: what the shell is asked to open.
#include "interpreter/launch.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "fake/harness.h"

namespace qrx::test {
namespace {

constexpr char16_t kMessages[] =
    u"[SYSTEM]\r\nSTART=start\r\nINILOAD=reloaded\r\n[SH]\r\nWAIT=starting\r\n"
    u"ERR=cannot open #A: #B\r\nFILE-ERR=no #A\r\n"
    u"[ELSE]\r\nERR=unknown\r\n[MODE]\r\nDIRECT=direct\r\n";

class LaunchTest : public StartedTest {
 protected:
  LaunchTest() : StartedTest(kMessages) {}
  // The ShellExecute calls the line made, as the fake records them.
  std::string LaunchOf(std::u16string_view line) {
    q.os.calls.clear();
    q.Type(line);
    std::string out;
    for (const auto& c : q.os.calls) {
      if (c.starts_with("ShellExecute ")) out += (out.empty() ? "" : "; ") + c.substr(13);
    }
    return out;
  }
};

TEST_F(LaunchTest, ShSplitsProgramParametersAndWorkingFolder) {
  const std::pair<const char16_t*, const char*> cases[] = {
      {u"SH notepad.exe", "[notepad.exe] [] [\\]"},  // no folder: the root
      {u"SH", "[] [] [\\]"},
      {u"SH C:\\tools\\edit.exe a.txt", "[C:\\tools\\edit.exe] [a.txt] [C:\\tools\\]"},
      {u"SH C:\\x.exe \"a b\"  c", "[C:\\x.exe] [\"a b\"  c] [C:\\]"},
      {u"SH \"C:\\P F\\x.exe\" -v", "[\"C:\\P F\\x.exe\"] [-v] [C:\\P F\\]"},
      // ">" names the folder and takes the character before it along; only the first counts.
      {u"SH x.exe a.txt >D:\\w", "[x.exe] [a.txt] [D:\\w\\]"},
      {u"SH x.exe a >D:\\", "[x.exe] [a] [D:\\]"},
      {u"SH x.exe one two>D:\\w", "[x.exe] [one tw] [D:\\w\\]"},
      {u"SH x.exe a > D:\\w", "[x.exe] [a] [ D:\\w\\]"},
      {u"SH x.exe a >D:\\w>x", "[x.exe] [a] [D:\\w>x\\]"},
      {u"SH x.exe >D:\\w", "[x.exe] [] [D:\\w\\]"},  // first: no parameters at all
      {u"SH x.exe >", "[x.exe] [] [\\]"},
  };
  for (const auto& [line, launch] : cases) {
    EXPECT_EQ(LaunchOf(line), "4660 [OPEN] " + std::string(launch) + " 1") << Utf16ToUtf8(line);
  }
}

// The wait answer, and the failures in both modes, are in the transcript "sh".
TEST_F(LaunchTest, ASuccessClearsTheWaitAnswerAlsoInDirectMode) {
  q.Type(u"SH notepad.exe");
  ASSERT_EQ(q.ui.answers.size(), 2u);
  EXPECT_EQ(q.ui.answers[1].text + u"/" + Decimal(q.ui.answers[1].time), u"/-2");
  q.Type(u"/D");
  EXPECT_EQ(LaunchOf(u"C:\\bin\\tool.exe -x y"),
            "4660 [OPEN] [C:\\bin\\tool.exe] [-x y] [C:\\bin\\] 1");
  EXPECT_EQ(q.ui.LastAnswer(), u"");
  q.ctx.main_form = &q.ctx.no_main_form;  // before the main window exists, no owner
  EXPECT_EQ(LaunchOf(u"SH a.exe").substr(0, 2), "0 ");
}

// A refused launch answers why, as an error (2 is in the transcript "sh").
TEST_F(LaunchTest, ARefusedLaunchIsAnErrorAnswer) {
  const std::pair<int32_t, std::u16string> cases[] = {
      {3, u"no x.exe/5"}, {0, u"cannot open x.exe: 0/5"}, {32, u"cannot open x.exe: 32/5"}};
  for (const auto& [code, answer] : cases) {
    q.os.shell_result = code;
    q.Type(u"SH x.exe");
    EXPECT_EQ(q.ui.LastAnswer() + u"/" + Decimal(q.ui.answers.back().time), answer);
  }
}

// Reading the file again is in the transcript "stored_values".
TEST_F(LaunchTest, ReloadWithoutAFileAnswersAndKeepsTheValuesAndTheHistory) {
  q.os.ProfileWriteString(u"SET", u"2", u"from file", q.ctx.paths.config);
  q.Type(u".r");
  q.os.RemoveFile(q.ctx.paths.config);
  q.Type(u".R");
  EXPECT_EQ(q.ui.LastAnswer() + u"/" + Decimal(q.ui.answers.back().time), u"reloaded/3");
  EXPECT_EQ(q.ctx.settings.variables[2], u"from file");
  q.Type(u"ANS one");
  q.Type(u".R");  // the history of this run stays
  EXPECT_EQ(q.ctx.history.entries[2], u"ANS one");
  EXPECT_EQ(q.ctx.history.entries[4], u".r");
  q.Type(u"WRITE");
  EXPECT_EQ(q.Config(u"SYSTEM", u"HIS2"), u".R");
  EXPECT_EQ(q.Config(u"SYSTEM", u"HIS3"), u"ANS one");
}

}  // namespace
}  // namespace qrx::test
