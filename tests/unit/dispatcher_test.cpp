#include "interpreter/dispatcher.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "commands/settings/set_routing.h"
#include "fake/harness.h"
#include "interpreter/aliases.h"
#include "interpreter/command_table.h"

namespace qrx::test {
namespace {

constexpr char16_t kMessages[] =
    u"[ELSE]\r\nERR=わかりません\r\n[SET]\r\nERR1=#A は設定できません\r\nERR2=値がありません\r\n"
    u"[MODE]\r\nDIRECT=直接モード\r\nNORMAL=通常モード\r\n[SYSTEM]\r\nSTART=#A #B\r\n"
    u"END=さようなら\r\nNEST=深すぎます\r\nFAIL=失敗: #A\r\n";

class DispatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    q.PutDefaultMessages(kMessages);
    q.Start(u"C:\\cfg\\QRX_CORE.INI");
    q.ui.answers.clear();
  }
  FakeUi::Answer Last() const { return q.ui.answers.back(); }
  Instance q;
};

TEST_F(DispatcherTest, EmptyLineDoesNothingAtAll) {
  q.ctx.interp.alias_arguments = u"kept";
  RunCommandLine(q.ctx, u"");
  EXPECT_TRUE(q.ui.answers.empty());
  EXPECT_EQ(q.ctx.interp.alias_arguments, u"kept");
}

TEST_F(DispatcherTest, CommentsDoNothing) {
  q.Type(u"REM x");
  q.Type(u"; x");
  q.Type(u"rem");
  EXPECT_TRUE(q.ui.answers.empty());
}

TEST_F(DispatcherTest, WordsOutsideTheTableAreErrorsInNormalMode) {
  for (const char16_t* line : {u";x", u"   ", u"WAVE x", u"\"SH\" notepad", u"notepad.exe"}) {
    q.ui.answers.clear();
    q.Type(line);
    ASSERT_EQ(q.ui.answers.size(), 1u) << Utf16ToUtf8(line);
    EXPECT_EQ(Last().text, u"わかりません");
    EXPECT_EQ(Last().time, 5);
    EXPECT_EQ(q.ctx.answer.last_ok, 0);
  }
}

TEST_F(DispatcherTest, CommandWordsIgnoreCaseAndClsClears) {
  q.Type(u"ANS hello");
  EXPECT_EQ(Last().text, u"hello");
  q.Type(u"cls");
  EXPECT_EQ(Last().text, u"");
  EXPECT_EQ(Last().time, -2);
  EXPECT_EQ(q.ctx.answer.last_ok, -1);
}

TEST_F(DispatcherTest, SetWithUnknownNameNamesItInTheAnswer) {
  q.Type(u"SET a1 x");
  EXPECT_EQ(Last().text, u"A1 は設定できません");
  EXPECT_EQ(Last().time, 5);
  EXPECT_EQ(q.ctx.answer.params[0], u"A1");
}

TEST_F(DispatcherTest, SetWithoutValueKeepsTheParameter) {
  q.ctx.answer.params[0] = u"before";
  q.Type(u"SET TEXT");
  EXPECT_EQ(Last().text, u"値がありません");
  EXPECT_EQ(q.ctx.answer.params[0], u"before");
}

TEST_F(DispatcherTest, MacrosMayProduceTheCommandWord) {
  q.os.env[u"WORD"] = u"ans";
  q.Type(u"%WORD% from-env");
  EXPECT_EQ(Last().text, u"from-env");
}

TEST_F(DispatcherTest, AliasArgumentsAreClearedAfterEveryLine) {
  q.Type(u"unknown with arguments");
  EXPECT_EQ(q.ctx.interp.alias_arguments, u"");
}

TEST_F(DispatcherTest, LbatTakesItsArgumentsForDollarL) {
  q.Type(u"LBAT \"my file.txt\" one two");
  EXPECT_EQ(q.ctx.interp.command_file_arguments, u"one two");
  q.Type(u"ANS [$L]");
  EXPECT_EQ(Last().text, u"[one");  // the answer's time field takes "two]"
}

TEST_F(DispatcherTest, LaterCommandsSayTheyAreNotAvailable) {
  q.Type(u"ss on");
  EXPECT_EQ(Last().text, u"SS is not available yet");
  EXPECT_EQ(Last().time, 5);
}

// --- aliases and failures ----------------------------------------------------------------

class AliasDispatchTest : public DispatcherTest {
 protected:
  void Alias(std::u16string_view name, std::u16string_view line) {
    q.os.ProfileWriteString(u"BAT", name, u"\"" + std::u16string(line) + u"\"", q.ctx.paths.config);
    LoadAliases(q.ctx);
  }
};

TEST_F(AliasDispatchTest, AliasThatRunsItselfStopsAtTheNestingLimit) {
  Alias(u"LOOP", u"LOOP");
  q.Type(u"loop");
  EXPECT_EQ(Last().text, u"深すぎます");
  EXPECT_EQ(q.ctx.interp.depth, 0);
  EXPECT_EQ(q.ctx.interp.in_alias, 0);
  q.Type(u"ANS still-alive");
  EXPECT_EQ(Last().text, u"still-alive");
}

TEST_F(AliasDispatchTest, FailureInsideAnAliasReadsAsNoAlias) {
  Alias(u"ENVY", u"ANS %HOME%");
  q.os.env_fails = true;
  q.Type(u"envy");
  EXPECT_EQ(Last().text, u"わかりません");
  EXPECT_EQ(q.ctx.interp.in_alias, 0);
}

TEST_F(AliasDispatchTest, FailureAtTheTopLevelIsShownAndTheProgramGoesOn) {
  q.os.env_fails = true;
  q.Type(u"ANS %HOME%");
  EXPECT_EQ(Last().text, u"失敗: environment unavailable");
  EXPECT_EQ(Last().time, 5);
  q.os.env_fails = false;
  q.Type(u"ANS fine");
  EXPECT_EQ(Last().text, u"fine");
}

// --- the table itself --------------------------------------------------------------------

struct Routed {
  std::u16string word, first, second;
};

Routed Route(std::u16string_view word, std::u16string_view rest, std::u16string_view line) {
  const CommandEntry* e = FindCommand(word);
  if (e == nullptr) return {u"(none)", {}, {}};
  const CommandArgs a = ArgumentsFor(*e, word, rest, line);
  return {std::u16string(e->words[0]), std::u16string(a.first), std::u16string(a.second)};
}

TEST(CommandTableTest, RowsPassTheArgumentsTheirKindNames) {
  auto r = Route(u"DEL", u"a.txt 64", u"DEL a.txt 64");
  EXPECT_EQ(r.word, u"COPY");
  EXPECT_EQ(r.first, u"DEL a.txt 64");
  r = Route(u"SH", u"x.exe a", u"SH x.exe a");
  EXPECT_EQ(r.first, u"SH");
  EXPECT_EQ(r.second, u"x.exe a");
  r = Route(u".R", u"ignored", u".R ignored");
  EXPECT_EQ(r.first, u".R");
  EXPECT_EQ(r.second, u"");
  r = Route(u"BEEP", u"x", u"BEEP x");
  EXPECT_EQ(r.first, u"BEEP");
  EXPECT_EQ(r.second, u"");
  r = Route(u"WAVEPLAY", u"a.wav", u"WAVEPLAY a.wav");
  EXPECT_EQ(r.first, u"WAVE");
  EXPECT_EQ(r.second, u"a.wav");
  r = Route(u"CDDA", u"PLAY 2", u"CDDA PLAY 2");
  EXPECT_EQ(r.first, u"CDDA");
  EXPECT_EQ(r.second, u"PLAY 2");
  r = Route(u"HIDE", u"", u"HIDE");
  EXPECT_EQ(r.first, u"HIDE");
  r = Route(u".", u"NO", u". NO");
  EXPECT_EQ(r.word, u".");
  EXPECT_EQ(r.first, u"NO");
  r = Route(u"RESET", u"FORCED", u"RESET FORCED");
  EXPECT_EQ(r.first, u"RESET FORCED");
  r = Route(u"WRITE", u"x", u"WRITE x");
  EXPECT_EQ(r.first, u"");
}

TEST(CommandTableTest, OnlyWholeUpperCaseWordsMatch) {
  EXPECT_EQ(FindCommand(u"WAVE"), nullptr);
  EXPECT_EQ(FindCommand(u"cls"), nullptr);
  EXPECT_EQ(FindCommand(u"CL"), nullptr);
  EXPECT_EQ(FindCommand(u"\"SH\""), nullptr);
  EXPECT_NE(FindCommand(u"/D"), nullptr);
  EXPECT_EQ(FindCommand(u"MOVE"), FindCommand(u"COPY"));
  EXPECT_EQ(CommandTable().size(), 38u);
}

TEST(SetRoutingTest, NamesGoToTheirWorkersInOrder) {
  EXPECT_EQ(RouteSet(u"linkip").target, SetTarget::kLinkSettings);
  EXPECT_EQ(RouteSet(u"ll").target, SetTarget::kLinkList);
  EXPECT_EQ(RouteSet(u"clip").word, u"CLIP");
  EXPECT_EQ(RouteSet(u"3").target, SetTarget::kSetCommand);
  EXPECT_EQ(RouteSet(u"10").word, u"10");
  EXPECT_EQ(RouteSet(u"1a").word, u"1a");                  // variables keep the name as typed
  EXPECT_EQ(RouteSet(u"9z").target, SetTarget::kUnknown);  // sorts after "9"
  EXPECT_EQ(RouteSet(u"f01").word, u"F01");
  EXPECT_EQ(RouteSet(u"F1").word, u"F1");
  EXPECT_EQ(RouteSet(u"F10X").target, SetTarget::kSetCommand);
  EXPECT_EQ(RouteSet(u"F16A").target, SetTarget::kUnknown);
  EXPECT_EQ(RouteSet(u"timer1").word, u"TIMER1");
  EXPECT_EQ(RouteSet(u"text").target, SetTarget::kSendText);
  EXPECT_EQ(RouteSet(u"activekey").target, SetTarget::kActiveKey);
  EXPECT_EQ(RouteSet(u"move").word, u"MOVE");
  EXPECT_EQ(RouteSet(u"a1").word, u"A1");
  EXPECT_EQ(RouteSet(u"a1").target, SetTarget::kUnknown);
}

}  // namespace
}  // namespace qrx::test
