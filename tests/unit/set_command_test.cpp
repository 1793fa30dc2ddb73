#include "commands/settings/set_command.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/text.h"
#include "fake/harness.h"
#include "startup/startup.h"

namespace qrx::test {
namespace {

// Every answer shows its own key and the parameters it was given.
constexpr char16_t kMessages[] =
    u"[SYSTEM]\r\nXYW=SYSTEM_XYW\r\nSAVE-ERR=SAVE-ERR #A\r\nFAIL=SYSTEM_FAIL #A\r\n"
    u"[SET]\r\nERR1=SET_ERR1 #A\r\nERR2=SET_ERR2\r\nCLIP=SET_CLIP #A\r\n"
    u"CLIP-ERR=SET_CLIP-ERR #A\r\n0-9=SET_0-9 #A/#B\r\nRND=SET_RND #A\r\n"
    u"POSTYPE=SET_POSTYPE #A\r\nFIG=SET_FIG #A\r\nFPU=SET_FPU #A\r\nF01-15=SET_F01-15 #A/#B\r\n"
    u"CLIPFLG-ON=SET_CLIPFLG-ON #A\r\nCLIPFLG-OFF=SET_CLIPFLG-OFF #A\r\n"
    u"TIMER-ADD=SET_TIMER-ADD #A/#B\r\nSKIN-ON=SET_SKIN-ON #A\r\nSKIN-OFF=SET_SKIN-OFF\r\n"
    u"MOVE-ON=SET_MOVE-ON #A\r\nMOVE-OFF=SET_MOVE-OFF #A\r\n";

constexpr char16_t kConfig[] = u"C:\\cfg\\QRX_CORE.INI";
const std::u16string kSaveError = std::u16string(u"SAVE-ERR ") + kConfig;

class SetCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    q.PutDefaultMessages(kMessages);
    q.Start(kConfig);
    q.ui.answers.clear();
    q.ui.boxes.clear();
  }
  std::u16string Last() const { return q.ui.LastAnswer(); }
  Instance q;
};

// --- each sub-command: memory, file, answer ----------------------------------------------

TEST_F(SetCommandTest, VariablesAndFunctionKeysAreStoredUnderTheirNames) {
  q.Type(u"SET 3 abc def");
  EXPECT_EQ(q.ctx.settings.variables[3], u"abc def");
  EXPECT_EQ(q.Config(u"SET", u"3"), u"abc def");
  EXPECT_EQ(Last(), u"SET_0-9 abc def/3");
  EXPECT_EQ(q.ui.answers.back().time, 3);
  q.Type(u"SET f15 notepad a.txt");
  EXPECT_EQ(q.ctx.keys.function_keys[14], u"notepad a.txt");
  EXPECT_EQ(q.Config(u"FNC", u"F15"), u"notepad a.txt");
  EXPECT_EQ(Last(), u"SET_F01-15 notepad a.txt/F15");
}

TEST_F(SetCommandTest, NumbersGoThroughToIntegerAndAreStoredInDecimal) {
  const struct {
    const char16_t* value;
    int16_t number;
  } cases[] = {{u"x", 0},   {u"2.5", 2},       {u"&H10", 16},
               {u" 7 ", 7}, {u"99999", 32767}, {u"-1E9", -32768}};
  const struct {
    const char16_t* word;
    const char16_t* section;
    const char16_t* key;
    const int16_t* memory;
  } targets[] = {
      {u"rnd", u"SET", u"RND", &q.ctx.settings.random_range},
      {u"POSTYPE", u"SYSTEM", u"POSTYPE", &q.ctx.settings.pos_type},
      {u"fig", u"SET", u"FIG", &q.ctx.settings.random_digits},
      {u"Fpu", u"SET", u"FPU", &q.ctx.keys.function_key_modifiers},
  };
  for (const auto& t : targets) {
    for (const auto& c : cases) {
      const std::string what = Utf16ToUtf8(t.word) + " " + Utf16ToUtf8(c.value);
      q.Type(u"SET " + std::u16string(t.word) + u" " + c.value);
      EXPECT_EQ(*t.memory, c.number) << what;
      EXPECT_EQ(q.Config(t.section, t.key), Decimal(c.number)) << what;
      EXPECT_EQ(Last(), u"SET_" + UpperCase(t.word) + u" " + c.value) << what;
    }
  }
}

TEST_F(SetCommandTest, NamesInTheRoutedRangesThatNameNothingChangeNothing) {
  for (const char16_t* name : {u"12", u"1A", u"0x", u"05", u"F1", u"F10X", u"f100", u"F00"}) {
    q.ui.answers.clear();
    q.Type(u"SET " + std::u16string(name) + u" value");
    ASSERT_EQ(q.ui.answers.size(), 1u) << Utf16ToUtf8(name);
    EXPECT_EQ(Last(), u"SET_ERR1 " + UpperCase(name));
    EXPECT_EQ(q.ui.answers.back().time, 5);
  }
  for (const auto& v : q.ctx.settings.variables) EXPECT_EQ(v, u"");
  for (const auto& f : q.ctx.keys.function_keys) EXPECT_EQ(f, u"");
  EXPECT_TRUE(q.os.ProfileKeyNames(u"FNC", kConfig).empty());
  EXPECT_EQ(q.Config(u"SET", u"1"), u"(missing)");
}

TEST_F(SetCommandTest, ClipReplacesTheClipboardWithoutStoringIt) {
  q.os.clipboard = u"old";
  q.Type(u"SET CLIP");
  EXPECT_EQ(Last(), u"SET_ERR2");
  EXPECT_EQ(q.os.clipboard, u"old");
  q.Type(u"set clip hello world");
  EXPECT_EQ(q.os.clipboard, u"hello world");
  EXPECT_EQ(Last(), u"SET_CLIP hello world");
  EXPECT_EQ(q.Config(u"SET", u"CLIP"), u"(missing)");
}

TEST_F(SetCommandTest, ClipWatchIsOnOnlyForOnAndShowsInTheCaption) {
  q.Type(u"SET CLIPFLG on");
  EXPECT_EQ(q.ctx.settings.clip_watch, 1);
  EXPECT_EQ(q.Config(u"SET", u"CLIPFLG"), u"1");
  EXPECT_EQ(Last(), u"SET_CLIPFLG-ON on");
  EXPECT_EQ(q.window.Caption(), u"quorix Ver0.50 [-C]");
  q.Type(u"SET CLIPFLG 1");
  EXPECT_EQ(q.ctx.settings.clip_watch, 0);
  EXPECT_EQ(q.Config(u"SET", u"CLIPFLG"), u"0");
  EXPECT_EQ(Last(), u"SET_CLIPFLG-OFF 1");
  EXPECT_EQ(q.window.Caption(), u"quorix Ver0.50 [--]");
}

TEST_F(SetCommandTest, SkinIsStoredForTheNextStartAndAnEmptyNameRemovesIt) {
  q.Type(u"SET SKIN Blue");
  EXPECT_EQ(q.Config(u"SYSTEM", u"SKIN"), u"Blue");
  EXPECT_EQ(Last(), u"SET_SKIN-ON Blue");
  q.Type(u"SET skin");
  EXPECT_EQ(q.Config(u"SYSTEM", u"SKIN"), u"(missing)");
  EXPECT_EQ(Last(), u"SET_SKIN-OFF");
}

TEST_F(SetCommandTest, MoveOffSavesThePositionFirstAndAnythingElseIsOn) {
  q.ui.rect = {10, 20, 297, 107};
  q.Type(u"SET MOVE off");
  ASSERT_EQ(q.ui.answers.size(), 2u);
  EXPECT_EQ(q.ui.answers[0].text, u"SYSTEM_XYW");
  EXPECT_EQ(q.ui.answers[1].text, u"SET_MOVE-OFF off");
  EXPECT_EQ(q.Config(u"SYSTEM", u"PX"), u"10");
  EXPECT_EQ(q.Config(u"SET", u"MOVE"), u"0");
  EXPECT_EQ(q.ctx.settings.move, 0);
  q.Type(u"SET MOVE 0");
  EXPECT_EQ(q.ctx.settings.move, 1);
  EXPECT_EQ(q.Config(u"SET", u"MOVE"), u"1");
  EXPECT_EQ(Last(), u"SET_MOVE-ON 0");
}

// --- writes the configuration file refuses ------------------------------------------------

TEST_F(SetCommandTest, ALineBreakInAValueIsRefusedAndSaidSo) {
  q.Type(u"SET 4 one$Ntwo");
  EXPECT_EQ(q.ctx.settings.variables[4], u"one\r\ntwo");  // holds until the program ends
  EXPECT_EQ(q.Config(u"SET", u"4"), u"(missing)");
  EXPECT_EQ(q.ui.boxes.size(), 1u);  // the writer's own warning
  EXPECT_EQ(Last(), kSaveError);
  EXPECT_EQ(q.ui.answers.back().time, 5);
}

TEST_F(SetCommandTest, AnUnwritableFileTurnsEverySuccessIntoTheSaveError) {
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
  EXPECT_EQ(q.ctx.settings.random_range, 3);  // memory changed all the same
  // These two answer before they write: the refusal follows the answer.
  q.ui.answers.clear();
  q.Type(u"SET CLIPFLG ON");
  ASSERT_EQ(q.ui.answers.size(), 2u);
  EXPECT_EQ(q.ui.answers[0].text, u"SET_CLIPFLG-ON ON");
  EXPECT_EQ(q.ui.answers[1].text, kSaveError);
  EXPECT_EQ(q.window.Caption(), u"quorix Ver0.50 [-C]");
  q.Type(u"SET MOVE OFF");
  EXPECT_EQ(q.ui.answers[q.ui.answers.size() - 2].text, u"SET_MOVE-OFF OFF");
  EXPECT_EQ(Last(), kSaveError);
}

// --- the clipboard watch --------------------------------------------------------------------

class ClipboardWatchTest : public SetCommandTest {
 protected:
  void SetUp() override {
    SetCommandTest::SetUp();
    q.Type(u"SET CLIPFLG ON");
    q.Type(u"SET 1 ran");
  }
};

TEST_F(ClipboardWatchTest, CommandOnTheClipboardRunsOnceAndEmptiesIt) {
  q.os.clipboard = u"qscmd:SET 9 a:b";  // the head in any case; only the first colon splits
  q.window.Tick();
  q.window.Tick();
  EXPECT_EQ(q.ctx.settings.variables[9], u"a:b");
  EXPECT_EQ(std::count_if(q.ui.answers.begin(), q.ui.answers.end(),
                          [](const auto& a) { return a.text == u"SET_0-9 a:b/9"; }),
            1);
  EXPECT_EQ(q.os.clipboard, u"");
  EXPECT_EQ(q.ctx.settings.clip_watch, 1);
  EXPECT_EQ(q.ctx.history.entries[1], u"SET 1 ran");  // no history entry
}

TEST_F(ClipboardWatchTest, OtherTextAndAWatchThatIsOffLeaveTheClipboardAlone) {
  for (const char16_t* text : {u"QSCMD", u"A:QSCMD:SET 9 x", u" QSCMD:SET 9 x", u""}) {
    q.os.clipboard = text;
    q.window.Tick();
    EXPECT_EQ(q.os.clipboard, text);
  }
  q.Type(u"SET CLIPFLG OFF");
  q.os.clipboard = u"QSCMD:SET 9 x";
  q.window.Tick();
  EXPECT_EQ(q.ctx.settings.variables[9], u"");
}

TEST_F(ClipboardWatchTest, TheStoredFlagDecidesAfterTheCommand) {
  q.os.clipboard = u"QSCMD:SET CLIPFLG OFF";
  q.window.Tick();
  EXPECT_EQ(q.ctx.settings.clip_watch, 0);
  q.Type(u"SET CLIPFLG ON");
  q.os.ProfileWriteString(u"SET", u"CLIPFLG", u"0", kConfig);  // switched off by hand
  q.os.clipboard = u"QSCMD:REM";
  q.window.Tick();
  EXPECT_EQ(q.ctx.settings.clip_watch, 0);
}

TEST_F(ClipboardWatchTest, AFailingCommandDoesNotLeaveTheWatchOff) {
  q.os.env_fails = true;  // expanding %X% throws: a failure no command expects
  q.os.clipboard = u"QSCMD:ANS %X%";
  q.window.Tick();
  EXPECT_EQ(q.ctx.settings.clip_watch, 1);
  EXPECT_EQ(Last().substr(0, 11), u"SYSTEM_FAIL");
}

// --- a clipboard that another program holds ------------------------------------------------

class BusyClipboardPlatform : public FakePlatform {
 public:
  bool busy = false;
  bool SetClipboardText(std::u16string_view text) override {
    return !busy && FakePlatform::SetClipboardText(text);
  }
};

struct BusyInstance {
  BusyClipboardPlatform os;
  FakeUi ui{os};
  Context ctx{os, ui};
  MainWindow window{ctx, ui};
  BusyInstance() {
    ctx.main_form = &window;
    os.PutFile(os.program_directory + u"\\DEF.MSG", os.ToAnsi(kMessages));
    StartUp(ctx, kConfig);
  }
  void Type(std::u16string_view line) {
    ui.command = std::u16string(line);
    window.OnEnter();
  }
};

TEST(BusyClipboardTest, SetClipIsAnErrorNotASuccess) {
  BusyInstance q;
  q.os.clipboard = u"old";
  q.os.busy = true;
  q.Type(u"SET CLIP new");
  EXPECT_EQ(q.os.clipboard, u"old");
  EXPECT_EQ(q.ui.LastAnswer(), u"SET_CLIP-ERR new");
  EXPECT_EQ(q.ui.answers.back().time, 5);
}

TEST(BusyClipboardTest, TheWatchRunsNothingUntilTheClipboardCanBeEmptied) {
  BusyInstance q;
  q.Type(u"SET CLIPFLG ON");
  q.os.clipboard = u"QSCMD:SET 9 ran";
  q.os.busy = true;
  q.window.Tick();
  q.window.Tick();
  EXPECT_EQ(q.ctx.settings.variables[9], u"");
  EXPECT_EQ(q.ctx.settings.clip_watch, 1);
  q.os.busy = false;
  q.window.Tick();
  EXPECT_EQ(q.ctx.settings.variables[9], u"ran");
}

}  // namespace
}  // namespace qrx::test
