#include "app/startup.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/text.h"
#include "fake/harness.h"
#include "interpreter/aliases.h"
#include "interpreter/dispatcher.h"

namespace qrx::test {
namespace {

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    q.PutDefaultMessages(
        u"[SYSTEM]\r\nSTART=#A #B です\r\nEND=またね\r\n[MODE]\r\nDIRECT=直接\r\n"
        u"[SET]\r\nERR1=だめ\r\n");
  }
  const std::u16string cfg = u"C:\\quorix\\QRX_CORE.INI";
  Instance q;
};

TEST_F(StartupTest, FirstStartCreatesEverythingAndSaysSoTheSecondIsSilent) {
  q.Start();
  EXPECT_EQ(q.Config(u"SYSTEM", u"Version"), u"0.50");
  EXPECT_TRUE(q.os.HasFile(u"C:\\quorix\\QRX_CORE.LKD"));
  EXPECT_EQ(q.os.FileBytes(u"C:\\quorix\\QRX_CORE.LKD"), "");
  EXPECT_EQ(q.os.FileBytes(u"C:\\quorix\\QRX_CORE.MSG"), q.os.FileBytes(u"C:\\quorix\\DEF.MSG"));
  ASSERT_EQ(q.ui.boxes.size(), 1u);
  EXPECT_EQ(q.ui.boxes[0].text, cfg + u"\rを新規作成しました");
  EXPECT_EQ(q.ui.boxes[0].style, 0x40u);
  EXPECT_EQ(q.window.Caption(), u"quorix Ver0.50 [--]");
  EXPECT_EQ(q.ui.LastAnswer(), u"quorix 0.50 です");
  EXPECT_TRUE(q.ui.visible);
  Instance again;
  again.os.PutFile(cfg, q.os.FileBytes(cfg));
  again.os.PutFile(u"C:\\quorix\\QRX_CORE.MSG", q.os.FileBytes(u"C:\\quorix\\QRX_CORE.MSG"));
  again.Start();
  EXPECT_TRUE(again.ui.boxes.empty());
}

TEST_F(StartupTest, AConfigurationThatCannotBeCreatedIsNotAnnouncedAsCreated) {
  q.os.unwritable.insert(UpperCase(cfg));
  q.Start();
  ASSERT_EQ(q.ui.boxes.size(), 1u);
  EXPECT_NE(q.ui.boxes[0].text.find(u"C:\\quorix\\QRX_CORE.INI"), std::u16string::npos);
  EXPECT_EQ(q.ui.boxes[0].text.find(u"新規作成"), std::u16string::npos);
  EXPECT_EQ(q.ui.boxes[0].style, 0x30u);
}

TEST_F(StartupTest, UpgradeMergesMessagesAndKeepsTheUsersTexts) {
  q.os.PutFile(cfg, "[SYSTEM]\r\nVersion=0.20\r\n");
  q.os.PutFile(u"C:\\quorix\\QRX_CORE.MSG",
               q.os.ToAnsi(u"[SYSTEM]\r\nSTART=ようこそ\r\nEND=\r\n[MINE]\r\nX=1\r\n"));
  q.Start();
  ASSERT_EQ(q.ui.boxes.size(), 1u);
  EXPECT_EQ(q.ui.boxes[0].text.substr(0, 18), u"バージョンアップありがとうございます");
  const std::u16string msg = u"C:\\quorix\\QRX_CORE.MSG";
  EXPECT_EQ(q.os.ProfileGetString(u"SYSTEM", u"START", u"", msg), u"ようこそ");
  EXPECT_EQ(q.os.ProfileGetString(u"SYSTEM", u"END", u"", msg), u"またね");  // refilled
  EXPECT_EQ(q.os.ProfileGetString(u"MODE", u"DIRECT", u"", msg), u"直接");   // whole section
  EXPECT_EQ(q.os.ProfileGetString(u"MINE", u"X", u"", msg), u"1");
  EXPECT_EQ(q.Config(u"SYSTEM", u"Version"), u"0.50");
}

TEST_F(StartupTest, DowngradeIsToldAndTheVersionOverwritten) {
  q.os.PutFile(cfg, "[SYSTEM]\r\nVersion=0.60\r\n");
  q.Start();
  ASSERT_EQ(q.ui.boxes.size(), 1u);
  EXPECT_EQ(q.ui.boxes[0].text.substr(0, 9), u"バージョンダウン悲");
  EXPECT_EQ(q.Config(u"SYSTEM", u"Version"), u"0.50");
}

TEST_F(StartupTest, MissingDefaultCatalogueShowsTheKeysDebugFlagMarksTheCaption) {
  q.os.RemoveFile(u"C:\\quorix\\DEF.MSG");
  q.Start();
  EXPECT_EQ(q.ui.LastAnswer(), u"SYSTEM_START");
  Instance debug;
  debug.StartWith("[SYSTEM]\r\nVersion=0.50\r\nDEBUG=1\r\n");
  EXPECT_EQ(debug.window.Caption(), u"quorix Ver0.50 [--]*");
}

TEST_F(StartupTest, AutoexecRunsBeforeTheGreeting) {
  q.os.PutFile(cfg, "[SYSTEM]\r\nVersion=0.50\r\n[BAT]\r\nAUTOEXEC=\"/D\"\r\n");
  q.Start();
  ASSERT_GE(q.ui.answers.size(), 2u);
  EXPECT_EQ(q.ui.answers[q.ui.answers.size() - 2].text, u"直接");
  EXPECT_EQ(q.ui.LastAnswer(), u"quorix 0.50 です");
  EXPECT_EQ(q.ctx.interp.direct_mode, 1);
}

TEST_F(StartupTest, ExitSavesTheHistoryOnceAndEnds) {
  q.Start();
  q.Type(u"ANS one");
  q.Type(u"ANS two");
  q.Type(u"EXIT");
  EXPECT_TRUE(q.ui.quit);
  EXPECT_EQ(q.ui.LastAnswer(), u"またね");
  EXPECT_EQ(q.Config(u"SYSTEM", u"HIS2"), u"ANS two");
  EXPECT_EQ(q.Config(u"SYSTEM", u"HIS3"), u"ANS one");
  EXPECT_EQ(q.Config(u"SYSTEM", u"HIS9"), u"(missing)");
  const size_t answers = q.ui.answers.size();
  q.Type(u"EXIT");  // the end sequence does not run twice
  EXPECT_EQ(q.ui.answers.size(), answers);
}

// ENDEXEC is stored before start-up, so the start loads it as a user's configuration would.
class EndexecTest : public StartupTest {
 protected:
  void StartWith(std::u16string_view endexec) {
    q.os.PutFile(
        cfg, "[SYSTEM]\r\nVersion=0.50\r\n[BAT]\r\nENDEXEC=\"" + q.os.ToAnsi(endexec) + "\"\r\n");
    q.Start();
  }
  size_t Count(std::u16string_view text) const {
    size_t n = 0;
    for (const auto& a : q.ui.answers) n += a.text == text ? 1 : 0;
    return n;
  }
};

TEST_F(EndexecTest, RunsOnExitAndOnCloseNotOnExitNo) {
  StartWith(u"ANS bye");
  q.Type(u"EXIT");
  EXPECT_TRUE(q.ui.quit);
  EXPECT_EQ(q.ui.LastAnswer(), u"bye");

  Instance closing;
  closing.os.PutFile(cfg, q.os.FileBytes(cfg));
  closing.Start();
  EXPECT_THROW(closing.window.OnClose(), AppEnding);
  EXPECT_TRUE(closing.ui.quit);
  EXPECT_EQ(closing.ui.LastAnswer(), u"bye");
  Instance no;  // EXIT NO skips saving and ENDEXEC
  no.PutDefaultMessages(u"[SYSTEM]\r\nEND=またね\r\n");
  no.os.PutFile(cfg, q.os.FileBytes(cfg));
  no.Start();
  no.Type(u"ANS one");
  no.Type(u"exit no");
  EXPECT_TRUE(no.ui.quit);
  EXPECT_EQ(no.ui.LastAnswer(), u"またね");
  EXPECT_EQ(no.Config(u"SYSTEM", u"HIS2"), u"(missing)");
}

// An ENDEXEC that exits, shuts down or calls itself still ends the program, with one
// SYSTEM_END.
TEST_F(EndexecTest, EndexecThatEndsTheProgramEndsItOnce) {
  for (const char16_t* endexec : {u"EXIT", u"ENDEXEC", u"SHUTDOWN"}) {
    Instance run;
    run.PutDefaultMessages(u"[SYSTEM]\r\nEND=またね\r\nNEST=深すぎ\r\n");
    run.os.PutFile(
        cfg, "[SYSTEM]\r\nVersion=0.50\r\n[BAT]\r\nENDEXEC=\"" + run.os.ToAnsi(endexec) + "\"\r\n");
    run.Start();
    run.Type(u"EXIT");
    EXPECT_TRUE(run.ui.quit) << Utf16ToUtf8(endexec);
    size_t ends = 0;
    for (const auto& a : run.ui.answers) ends += a.text == u"またね" ? 1 : 0;
    EXPECT_EQ(ends, 1u) << Utf16ToUtf8(endexec);
    if (endexec == std::u16string_view(u"SHUTDOWN")) {  // still asks for the session
      EXPECT_NE(std::find(run.os.calls.begin(), run.os.calls.end(), "EndSession 8"),
                run.os.calls.end());
    }
    run.Type(u"ANS after");  // nothing runs once the program has ended
  }
}

TEST_F(StartupTest, NothingAfterExitRunsInTheSameChain) {
  q.Start();
  q.os.ProfileWriteString(u"BAT", u"BYE", u"\"EXIT\"", cfg);
  LoadAliases(q.ctx);
  q.Type(u"bye");
  EXPECT_TRUE(q.ui.quit);
  EXPECT_EQ(q.ui.LastAnswer(), u"またね");  // not "unknown word" after the alias unwound
}

}  // namespace
}  // namespace qrx::test
