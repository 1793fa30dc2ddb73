// SH, .R and the direct-mode launch on the fake platform: what the shell is asked to open.
#include "commands/shell/launch.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "fake/harness.h"

namespace qrx::test {
namespace {

constexpr char16_t kMessages[] =
    u"[SYSTEM]\r\nSTART=start\r\nINILOAD=reloaded\r\n[SH]\r\nWAIT=starting\r\n"
    u"[ELSE]\r\nERR=unknown\r\n[MODE]\r\nDIRECT=direct\r\n";

class LaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    q.PutDefaultMessages(kMessages);
    q.Start(u"C:\\cfg\\QRX_CORE.INI");
    q.ui.answers.clear();
    q.os.calls.clear();
  }
  // The ShellExecute calls, as the fake records them.
  std::vector<std::string> Launches() const {
    std::vector<std::string> out;
    for (const auto& c : q.os.calls) {
      if (c.starts_with("ShellExecute ")) out.push_back(c.substr(13));
    }
    return out;
  }
  std::string LaunchOf(std::u16string_view line) {
    q.os.calls.clear();
    q.Type(line);
    const auto l = Launches();
    return l.size() == 1 ? l[0] : "(" + std::to_string(l.size()) + " launches)";
  }
  Instance q;
};

// --- SH: file, parameters and working folder --------------------------------------------

TEST_F(LaunchTest, ProgramWithoutFolderWorksInTheRoot) {
  EXPECT_EQ(LaunchOf(u"SH notepad.exe"), "4660 [OPEN] [notepad.exe] [] [\\] 1");
}

TEST_F(LaunchTest, ProgramFolderIsTheWorkingFolder) {
  EXPECT_EQ(LaunchOf(u"SH C:\\tools\\edit.exe a.txt"),
            "4660 [OPEN] [C:\\tools\\edit.exe] [a.txt] [C:\\tools\\] 1");
}

TEST_F(LaunchTest, RedirectionNamesTheWorkingFolder) {
  EXPECT_EQ(LaunchOf(u"SH C:\\tools\\edit.exe a.txt >D:\\work"),
            "4660 [OPEN] [C:\\tools\\edit.exe] [a.txt] [D:\\work\\] 1");
  EXPECT_EQ(LaunchOf(u"SH C:\\tools\\edit.exe a.txt >D:\\"),
            "4660 [OPEN] [C:\\tools\\edit.exe] [a.txt] [D:\\] 1");
}

TEST_F(LaunchTest, RedirectionDropsTheCharacterBeforeTheArrow) {
  EXPECT_EQ(LaunchOf(u"SH x.exe a>D:\\w"), "4660 [OPEN] [x.exe] [] [D:\\w\\] 1");
  EXPECT_EQ(LaunchOf(u"SH x.exe one two>D:\\w"), "4660 [OPEN] [x.exe] [one tw] [D:\\w\\] 1");
}

TEST_F(LaunchTest, RedirectionTargetIsTakenAsItStands) {
  EXPECT_EQ(LaunchOf(u"SH x.exe a > D:\\w"), "4660 [OPEN] [x.exe] [a] [ D:\\w\\] 1");
  // Only the first ">" redirects; later ones belong to the folder text.
  EXPECT_EQ(LaunchOf(u"SH x.exe a >D:\\w>x"), "4660 [OPEN] [x.exe] [a] [D:\\w>x\\] 1");
}

TEST_F(LaunchTest, ArrowFirstInTheParametersLeavesNoParameters) {
  EXPECT_EQ(LaunchOf(u"SH x.exe >D:\\w"), "4660 [OPEN] [x.exe] [] [D:\\w\\] 1");
  EXPECT_EQ(LaunchOf(u"SH x.exe >"), "4660 [OPEN] [x.exe] [] [\\] 1");
}

TEST_F(LaunchTest, QuotedProgramKeepsItsQuotesButNotInTheFolder) {
  EXPECT_EQ(LaunchOf(u"SH \"C:\\Program Files\\x.exe\" -v"),
            "4660 [OPEN] [\"C:\\Program Files\\x.exe\"] [-v] [C:\\Program Files\\] 1");
}

TEST_F(LaunchTest, ParametersKeepTheirQuotesAndSpaces) {
  EXPECT_EQ(LaunchOf(u"SH C:\\x.exe \"a b\"  c"), "4660 [OPEN] [C:\\x.exe] [\"a b\"  c] [C:\\] 1");
}

TEST_F(LaunchTest, ShWithoutArgumentAsksForAnEmptyFileAndSaysNothing) {
  q.os.shell_result = 2;
  EXPECT_EQ(LaunchOf(u"SH"), "4660 [OPEN] [] [] [\\] 1");
  ASSERT_EQ(q.ui.answers.size(), 2u);
  EXPECT_EQ(q.ui.answers[1].text, u"");
  EXPECT_EQ(q.ui.answers[1].time, -2);
}

// --- answers around a launch ----------------------------------------------------------

TEST_F(LaunchTest, WaitAnswerIsShownWhileTheShellWorksThenCleared) {
  q.Type(u"SH notepad.exe");
  ASSERT_EQ(q.ui.answers.size(), 2u);
  EXPECT_EQ(q.ui.answers[0].text, u"starting");
  EXPECT_EQ(q.ui.answers[0].time, -1);
  EXPECT_EQ(q.ui.answers[1].text, u"");
  EXPECT_EQ(q.ui.answers[1].time, -2);
}

TEST_F(LaunchTest, OwnerIsNoWindowBeforeTheMainWindowExists) {
  q.ctx.main_form = nullptr;
  RunShellCommand(q.ctx, u"SH", u"a.exe");
  EXPECT_EQ(Launches().at(0), "0 [OPEN] [a.exe] [] [\\] 1");
}

// --- the direct-mode fallback ---------------------------------------------------------

TEST_F(LaunchTest, DirectModeLaunchesTheWholeLine) {
  q.Type(u"/D");
  EXPECT_EQ(LaunchOf(u"C:\\bin\\tool.exe -x y"),
            "4660 [OPEN] [C:\\bin\\tool.exe] [-x y] [C:\\bin\\] 1");
  EXPECT_EQ(q.ui.LastAnswer(), u"");  // the clearing answer, no error
}

TEST_F(LaunchTest, DirectModeReportsAFailedLaunch) {
  q.Type(u"/D");
  for (int32_t code : {0, 2, 31, 32}) {
    q.os.shell_result = code;
    q.Type(u"nothing.exe");
    EXPECT_EQ(q.ui.LastAnswer(), u"unknown") << code;
    EXPECT_EQ(q.ui.answers.back().time, 5);
  }
}

TEST_F(LaunchTest, NormalModeNeverLaunches) {
  EXPECT_EQ(LaunchOf(u"notepad.exe"), "(0 launches)");
  EXPECT_EQ(q.ui.LastAnswer(), u"unknown");
}

// --- .R -------------------------------------------------------------------------------

TEST_F(LaunchTest, ReloadAnswersEvenWithoutAConfigurationFile) {
  q.os.RemoveFile(q.ctx.paths.config);
  q.ctx.settings.variables[2] = u"kept";
  q.Type(u".R");
  EXPECT_EQ(q.ui.LastAnswer(), u"reloaded");
  EXPECT_EQ(q.ui.answers.back().time, 3);
  EXPECT_EQ(q.ctx.settings.variables[2], u"kept");
}

TEST_F(LaunchTest, ReloadReadsChangedSettings) {
  q.os.ProfileWriteString(u"SET", u"2", u"from file", q.ctx.paths.config);
  q.Type(u".r");
  EXPECT_EQ(q.ctx.settings.variables[2], u"from file");
  EXPECT_EQ(q.ui.LastAnswer(), u"reloaded");
}

}  // namespace
}  // namespace qrx::test
