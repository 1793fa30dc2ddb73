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
  EXPECT_EQ(q.os.FileBytes(u"C:\\quorix\\QRX_CORE.LKD"), "");
  EXPECT_EQ(q.os.FileBytes(u"C:\\quorix\\QRX_CORE.MSG"), q.os.FileBytes(u"C:\\quorix\\DEF.MSG"));
  ASSERT_EQ(q.ui.boxes.size(), 1u);
  EXPECT_EQ(q.ui.boxes[0].style, 0x40u);
  EXPECT_EQ(q.ui.LastAnswer(), u"quorix 0.50 です");
  Instance again;
  again.StartWith(q.os.FileBytes(cfg));
  EXPECT_TRUE(again.ui.boxes.empty());
}

TEST_F(StartupTest, AConfigurationThatCannotBeCreatedIsNotAnnouncedAsCreated) {
  q.os.unwritable.insert(UpperCase(cfg));
  q.Start();
  ASSERT_EQ(q.ui.boxes.size(), 1u);
  EXPECT_EQ(q.ui.boxes[0].text.find(u"新規作成"), std::u16string::npos);
  EXPECT_EQ(q.ui.boxes[0].style, 0x30u);
}

TEST_F(StartupTest, UpgradeMergesMessagesAndKeepsTheUsersTexts) {
  q.os.PutFile(cfg, "[SYSTEM]\r\nVersion=0.20\r\n");
  q.os.PutFile(u"C:\\quorix\\QRX_CORE.MSG", q.os.ToAnsi(u"[SYSTEM]\r\nSTART=ようこそ\r\nEND=\r\n"));
  q.Start();
  const std::u16string msg = u"C:\\quorix\\QRX_CORE.MSG";
  EXPECT_EQ(q.os.ProfileGetString(u"SYSTEM", u"START", u"", msg), u"ようこそ");
  EXPECT_EQ(q.os.ProfileGetString(u"SYSTEM", u"END", u"", msg), u"またね");  // refilled
  EXPECT_EQ(q.os.ProfileGetString(u"MODE", u"DIRECT", u"", msg), u"直接");   // whole section
}

TEST_F(StartupTest, DowngradeIsToldAndTheVersionOverwritten) {
  q.os.PutFile(cfg, "[SYSTEM]\r\nVersion=0.60\r\n");
  q.Start();
  ASSERT_EQ(q.ui.boxes.size(), 1u);
  EXPECT_EQ(q.ui.boxes[0].text.substr(0, 9), u"バージョンダウン悲");
  EXPECT_EQ(q.Config(u"SYSTEM", u"Version"), u"0.50");
}

TEST_F(StartupTest, MissingDefaultCatalogueShowsTheKeys) {
  q.os.RemoveFile(u"C:\\quorix\\DEF.MSG");
  q.Start();
  EXPECT_EQ(q.ui.LastAnswer(), u"SYSTEM_START");
}

TEST_F(StartupTest, ExitEndsOnce) {
  q.Start();
  q.Type(u"EXIT");
  EXPECT_TRUE(q.ui.quit);
  EXPECT_EQ(q.ui.LastAnswer(), u"またね");
  const size_t answers = q.ui.answers.size();
  q.Type(u"EXIT");  // the end sequence does not run twice
  EXPECT_EQ(q.ui.answers.size(), answers);
}

// ENDEXEC is stored before start-up, so the start loads it as a user's configuration would.
std::string WithEndexec(std::string_view endexec) {
  return "[SYSTEM]\r\nVersion=0.50\r\n[BAT]\r\nENDEXEC=\"" + std::string(endexec) + "\"\r\n";
}

TEST(EndexecTest, RunsOnCloseNotOnExitNo) {
  Instance closing, no;
  // Closing the window runs the whole end: tray icon, hot key and ENDEXEC.
  closing.StartWith(WithEndexec("ANS bye"));
  EXPECT_THROW(closing.window.OnClose(), AppEnding);
  EXPECT_TRUE(closing.ui.quit);
  EXPECT_EQ(closing.ui.LastAnswer(), u"bye");
  EXPECT_FALSE(closing.ui.tray.has_value());
  EXPECT_EQ(closing.ui.hot_keys.back(), -1000);
  no.PutDefaultMessages(u"[SYSTEM]\r\nEND=またね\r\n");
  no.StartWith(WithEndexec("ANS bye"));
  no.Type(u"ANS one");
  no.Type(u"exit no");  // skips saving and ENDEXEC
  EXPECT_TRUE(no.ui.quit);
  EXPECT_EQ(no.ui.LastAnswer(), u"またね");
  EXPECT_EQ(no.Config(u"SYSTEM", u"HIS2"), u"(missing)");
}

// An ENDEXEC that exits, shuts down or calls itself still ends the program, with one
// SYSTEM_END.
TEST(EndexecTest, EndexecThatEndsTheProgramEndsItOnce) {
  for (const char* endexec : {"EXIT", "ENDEXEC", "SHUTDOWN"}) {
    Instance run;
    run.PutDefaultMessages(u"[SYSTEM]\r\nEND=またね\r\nNEST=深すぎ\r\n");
    run.StartWith(WithEndexec(endexec));
    run.Type(u"EXIT");
    EXPECT_TRUE(run.ui.quit) << endexec;
    EXPECT_EQ(std::ranges::count(run.ui.answers, u"またね", &FakeUi::Answer::text), 1) << endexec;
    // SHUTDOWN still asks for the session.
    EXPECT_EQ(std::ranges::count(run.os.calls, "EndSession 8"), endexec[0] == 'S' ? 1 : 0);
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
