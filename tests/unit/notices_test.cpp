// What quorix tells the user outside the answers of commands: failures at start-up (the hot
// key, the tray icon), the notice boxes and the window's own texts, all from the catalogue.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "fake/harness.h"
#include "interpreter/keys.h"
#include "ui/command_box.h"

namespace qrx::test {
namespace {

constexpr char16_t kConfig[] = u"C:\\cfg\\QRX_CORE.INI";
constexpr int32_t kLeft = 37, kRight = 39;

std::string DataFile(const char* name) {
  std::ifstream file(std::string(QRX_DATA_DIR) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(NoticesTest, AHotKeyHeldByAnotherProgramIsToldAtStartAndBySet) {
  Instance q;
  q.ui.hot_key_taken = true;
  q.PutDefaultMessages(
      u"[SYSTEM]\r\nSTART=start\r\n[ACTIVEKEY]\r\nSET=set #A\r\nDEL=del\r\nERR=taken #A\r\n");
  q.Start(kConfig);
  ASSERT_GE(q.ui.answers.size(), 2u);
  EXPECT_EQ(q.ui.answers[q.ui.answers.size() - 2].text, u"start");
  EXPECT_EQ(q.ui.LastAnswer(), u"taken Ctrl+Alt+Home");  // after the greeting
  EXPECT_EQ(q.ui.tray, u"quorix Ver0.50\ntaken Ctrl+Alt+Home");
  q.Type(u"SET ACTIVEKEY 6 112");
  EXPECT_EQ(q.ui.LastAnswer(), u"taken Ctrl+Shift+F1");
  EXPECT_EQ(q.Config(u"SET", u"ACTIVEKEY"), u"112");  // kept for the next start all the same
  q.ui.hot_key_taken = false;
  q.Type(u"SET ACTIVEKEY 3 36");
  EXPECT_EQ(q.ui.LastAnswer(), u"set 3 36");
  EXPECT_EQ(q.ui.tray, u"quorix Ver0.50");
}

TEST(NoticesTest, ATrayIconThatCannotBeAddedIsTold) {
  Instance q;
  q.ui.tray_fails = true;
  q.PutDefaultMessages(u"[SYSTEM]\r\nSTART=start\r\nTRAY-ERR=no tray\r\n");
  q.Start(kConfig);
  EXPECT_EQ(q.ui.LastAnswer(), u"no tray");
  EXPECT_EQ(q.ui.answers.back().time, 5);
}

TEST(NoticesTest, HotKeysAreNamedAsOnTheKeyboard) {
  EXPECT_EQ(HotKeyName(3, 36), u"Ctrl+Alt+Home");
  EXPECT_EQ(HotKeyName(15, 'A'), u"Ctrl+Alt+Shift+Win+A");
  EXPECT_EQ(HotKeyName(0, 0x70 + 11), u"F12");
  EXPECT_EQ(HotKeyName(4, 0x61), u"Shift+Num1");
  EXPECT_EQ(HotKeyName(2, 186), u"Ctrl+VK186");  // a key without a name of its own
}

TEST(NoticesTest, TheEnglishCatalogueSwitchesEveryNoticeAndWindowText) {
  Instance old;
  old.os.PutFile(old.os.program_directory + u"\\DEF.MSG", DataFile("EN.MSG"));
  old.os.PutFile(kConfig, "[SYSTEM]\r\nVersion=0.20\r\n");
  old.Start(kConfig);
  ASSERT_EQ(old.ui.boxes.size(), 1u);
  EXPECT_TRUE(old.ui.boxes[0].text.starts_with(u"Thank you for upgrading.\r"));
  Instance q;
  q.os.PutFile(q.os.program_directory + u"\\DEF.MSG", DataFile("EN.MSG"));
  q.Start(kConfig);
  ASSERT_EQ(q.ui.boxes.size(), 1u);
  EXPECT_EQ(q.ui.boxes[0].text, std::u16string(kConfig) + u"\rwas created");
  q.window.OnKeyDown(kLeft, false, false, true);
  EXPECT_EQ(q.ui.LastAnswer(), u"[Back] pressed");
  q.window.OnKeyDown(kRight, false, false, true);
  EXPECT_EQ(q.ui.LastAnswer(), u"[Forward] pressed");
  q.window.OnDrop(DropData{});
  EXPECT_EQ(q.ui.boxes.back().text, u"That format cannot be used here.\rSorry.");
  q.Type(u"SET 1 a$Nb");  // a value the configuration refuses
  EXPECT_EQ(q.ui.boxes.back().text, u"Could not write to\r" + std::u16string(kConfig));
  q.Type(u"WAIT 1");
  EXPECT_EQ(q.ui.answers[q.ui.answers.size() - 2].text, u"Waiting (1 s)...");
}

TEST(NoticesTest, ACatalogueWithoutTheNewKeysStillShowsTheJapaneseText) {
  Instance q;
  q.PutDefaultMessages(u"[SYSTEM]\r\nSTART=start\r\n");
  q.ui.hot_key_taken = true;
  q.Start(kConfig);
  EXPECT_EQ(q.ui.LastAnswer(),
            u"呼び出しキー Ctrl+Alt+Home を登録できませんでした（ほかのプログラムが使っています）");
}

}  // namespace
}  // namespace qrx::test
