#include "commands/settings/set_command.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "app/startup.h"
#include "base/text.h"
#include "commands/timers/timers.h"
#include "fake/harness.h"
#include "interpreter/dispatcher.h"

namespace qrx::test {
namespace {

// Every answer shows its own key and the parameters it was given.
constexpr char16_t kMessages[] =
    u"[SYSTEM]\r\nXYW=SYSTEM_XYW\r\nSAVE-ERR=SAVE-ERR #A\r\n"
    u"[SET]\r\nERR1=SET_ERR1 #A\r\n0-9=SET_0-9 #A/#B\r\nRND=SET_RND #A\r\n"
    u"POSTYPE=SET_POSTYPE #A\r\nFIG=SET_FIG #A\r\nFPU=SET_FPU #A\r\nF01-15=SET_F01-15 #A/#B\r\n"
    u"CLIPFLG-ON=SET_CLIPFLG-ON #A\r\nMOVE-OFF=SET_MOVE-OFF #A\r\n";

constexpr char16_t kConfig[] = u"C:\\cfg\\QRX_CORE.INI";
const std::u16string kSaveError = std::u16string(u"SAVE-ERR ") + kConfig;

class SetCommandTest : public StartedTest {
 protected:
  SetCommandTest() : StartedTest(kMessages) {}
  std::u16string Last() const { return q.ui.LastAnswer(); }
};

TEST_F(SetCommandTest, ValuesAreStoredUnderTheirNamesAndNumbersInDecimal) {
  const struct {
    const char16_t *line, *section, *key, *stored, *answer;
  } cases[] = {
      {u"SET 3 abc def", u"SET", u"3", u"abc def", u"SET_0-9 abc def/3"},
      {u"SET f15 a  b", u"FNC", u"F15", u"a  b", u"SET_F01-15 a  b/F15"},
      {u"SET rnd 2.5", u"SET", u"RND", u"2", u"SET_RND 2.5"},
      {u"SET POSTYPE &H10", u"SYSTEM", u"POSTYPE", u"16", u"SET_POSTYPE &H10"},
      {u"SET fig 99999", u"SET", u"FIG", u"32767", u"SET_FIG 99999"},
      {u"SET Fpu x", u"SET", u"FPU", u"0", u"SET_FPU x"},
  };
  for (const auto& c : cases) {
    q.Type(c.line);
    EXPECT_EQ(q.Config(c.section, c.key), c.stored) << Utf16ToUtf8(c.line);
    EXPECT_EQ(Last(), c.answer);
    EXPECT_EQ(q.ui.answers.back().time, 3);
  }
  EXPECT_EQ(q.ctx.settings.variables[3], u"abc def");
  EXPECT_EQ(q.ctx.keys.function_keys[14], u"a  b");
  EXPECT_EQ(q.ctx.settings.random_range, 2);
  EXPECT_EQ(q.ctx.settings.pos_type, 16);
  EXPECT_EQ(q.ctx.settings.random_digits, 32767);
}

TEST_F(SetCommandTest, NamesInTheRoutedRangesThatNameNothingChangeNothing) {
  for (const char16_t* name : {u"12", u"1A", u"05", u"F1", u"F10X", u"f100", u"F00", u"F16"}) {
    q.ui.answers.clear();
    q.Type(u"SET " + std::u16string(name) + u" value");
    ASSERT_EQ(q.ui.answers.size(), 1u) << Utf16ToUtf8(name);
    EXPECT_EQ(Last(), u"SET_ERR1 " + UpperCase(name));
    EXPECT_EQ(q.ui.answers.back().time, 5);
  }
  for (const auto& v : q.ctx.settings.variables) EXPECT_EQ(v, u"");
  for (const auto& f : q.ctx.keys.function_keys) EXPECT_EQ(f, u"");
  EXPECT_TRUE(q.os.ProfileKeyNames(u"FNC", kConfig).empty());
}

TEST_F(SetCommandTest, SwitchesAndTheClipboard) {
  q.os.clipboard = u"old";
  q.os.clipboard_busy = true;
  q.Type(u"SET CLIP new");
  EXPECT_EQ(Last(), u"SET_CLIP-ERR");
  q.os.clipboard_busy = false;
  q.Type(u"set clip hello world");
  EXPECT_EQ(q.os.clipboard, u"hello world");
  q.Type(u"SET CLIPFLG on");  // only "ON" switches the watch on
  EXPECT_EQ(q.window.Caption(), u"quorix Ver0.50 [-C]");
  q.Type(u"SET CLIPFLG 1");
  EXPECT_EQ(q.Config(u"SET", u"CLIPFLG"), u"0");
  EXPECT_EQ(q.window.Caption(), u"quorix Ver0.50 [--]");
  q.ui.answers.clear();
  q.ui.rect = {10, 20, 297, 107};
  q.Type(u"SET MOVE off");  // saves where the window stands first
  ASSERT_EQ(q.ui.answers.size(), 2u);
  EXPECT_EQ(q.ui.answers[0].text, u"SYSTEM_XYW");
  EXPECT_EQ(q.Config(u"SYSTEM", u"PX"), u"10");
  EXPECT_EQ(q.Config(u"SET", u"MOVE"), u"0");
  q.Type(u"SET MOVE 0");  // anything but "OFF" is on
  EXPECT_EQ(q.Config(u"SET", u"MOVE"), u"1");
}

TEST_F(SetCommandTest, RefusedWritesTurnTheAnswerIntoTheSaveError) {
  q.Type(u"SET 4 one$Ntwo");
  EXPECT_EQ(q.ctx.settings.variables[4], u"one\r\ntwo");  // holds until the program ends
  EXPECT_EQ(q.Config(u"SET", u"4"), u"(missing)");
  EXPECT_EQ(Last(), kSaveError);
  q.os.unwritable.insert(UpperCase(kConfig));
  for (const char16_t* line :
       {u"SET 1 a", u"SET RND 3", u"SET POSTYPE 1", u"SET FIG 2", u"SET FPU 1", u"SET F04 x",
        u"SET SKIN s", u"SET MOVE on", u"SET TIMER 01:00 x", u"SET TIMER 01:00"}) {
    q.ui.answers.clear();
    q.ui.boxes.clear();
    q.Type(line);
    ASSERT_EQ(q.ui.answers.size(), 1u) << Utf16ToUtf8(line);
    EXPECT_EQ(Last(), kSaveError) << Utf16ToUtf8(line);
    EXPECT_EQ(q.ui.boxes.size(), 1u) << "one warning per command: " << Utf16ToUtf8(line);
  }
  // These two answer before they write: the refusal follows their own answer.
  for (const auto& [line, answer] : {std::pair{u"SET CLIPFLG ON", u"SET_CLIPFLG-ON ON"},
                                     std::pair{u"SET MOVE OFF", u"SET_MOVE-OFF OFF"}}) {
    q.Type(line);
    EXPECT_EQ(q.ui.answers[q.ui.answers.size() - 2].text, answer);
    EXPECT_EQ(Last(), kSaveError);
  }
  q.ui.boxes.clear();
  q.Type(u"WRITE");  // eleven keys, one file
  EXPECT_EQ(q.ui.boxes.size(), 1u);
  EXPECT_EQ(Last(), kSaveError);
  q.Type(u"WRITE");
  EXPECT_EQ(q.ui.boxes.size(), 2u) << "a new line shows its box again";
}

TEST_F(SetCommandTest, TypedTextsReadBackExactlyAfterAReloadAndARestart) {
  q.Type(u"SET 1 \"C:\\Program Files\\x.exe\"");
  q.Type(u"SET 3  lead and trail ");
  q.Type(u"SET F02 'half");
  q.Type(u"SET TIMER 07:30 SH \"C:\\a b\\c.exe\"");
  q.Type(u"\"C:\\Program Files\\app.exe\"");  // unknown word: only a history entry
  q.Type(u"ANS one");
  q.Type(u".R");
  EXPECT_EQ(q.ctx.settings.variables[1], u"\"C:\\Program Files\\x.exe\"");
  EXPECT_EQ(q.ctx.settings.variables[3], u" lead and trail ");
  EXPECT_EQ(q.ctx.keys.function_keys[1], u"'half");
  q.Type(u"SET 2 [$1]");
  EXPECT_EQ(q.Config(u"SET", u"2"), u"[\"C:\\Program Files\\x.exe\"]");

  q.Type(u"EXIT");
  Instance again;
  again.PutDefaultMessages(kMessages);
  again.StartWith(q.os.FileBytes(kConfig));
  EXPECT_EQ(again.ctx.settings.variables[2], u"[\"C:\\Program Files\\x.exe\"]");
  EXPECT_EQ(again.ctx.settings.variables[3], u" lead and trail ");
  EXPECT_EQ(again.ctx.keys.function_keys[1], u"'half");
  const auto& history = again.ctx.history.entries;
  EXPECT_NE(std::find(history.begin(), history.end(), u"\"C:\\Program Files\\app.exe\""),
            history.end());
  std::u16string command;
  TimerCheck(again.ctx, u"07:30", command);
  EXPECT_EQ(command, u"SH \"C:\\a b\\c.exe\"");
  // Bare values of older files read as before.
  again.os.ProfileWriteString(u"SET", u"4", u"  plain  ", kConfig);
  again.os.ProfileWriteString(u"FNC", u"F01", u"\"quoted\"", kConfig);
  again.Type(u".R");
  EXPECT_EQ(again.ctx.settings.variables[4], u"plain");
  EXPECT_EQ(again.ctx.keys.function_keys[0], u"quoted");
}

TEST_F(SetCommandTest, TheClipboardWatchRunsAQscmdLineOnlyOnceItCouldEmptyTheClipboard) {
  q.Type(u"SET CLIPFLG ON");
  q.os.clipboard = u"qscmd:SET 9 a:b";  // the head in any case; only the first colon splits
  q.os.clipboard_busy = true;
  q.window.Tick();
  EXPECT_EQ(q.ctx.settings.variables[9], u"");
  q.os.clipboard_busy = false;
  q.window.Tick();
  q.window.Tick();
  EXPECT_EQ(std::count_if(q.ui.answers.begin(), q.ui.answers.end(),
                          [](const auto& a) { return a.text == u"SET_0-9 a:b/9"; }),
            1);
  EXPECT_EQ(q.os.clipboard, u"");
  EXPECT_EQ(q.ctx.history.entries[1], u"SET CLIPFLG ON");  // no history entry
  for (const char16_t* text : {u"QSCMD", u"A:QSCMD:SET 9 x", u" QSCMD:SET 9 x"}) {
    q.os.clipboard = text;
    q.window.Tick();
    EXPECT_EQ(q.os.clipboard, text);
  }
  q.os.env_fails = true;  // a failure no command expects leaves the watch on
  q.os.clipboard = u"QSCMD:ANS %X%";
  q.window.Tick();
  EXPECT_EQ(q.ctx.settings.clip_watch, 1);
  // The stored flag decides after the command, whatever the command did.
  q.os.ProfileWriteString(u"SET", u"CLIPFLG", u"0", kConfig);
  q.os.clipboard = u"QSCMD:REM";
  q.window.Tick();
  EXPECT_EQ(q.ctx.settings.clip_watch, 0);
}

}  // namespace
}  // namespace qrx::test
