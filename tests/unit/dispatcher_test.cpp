#include "interpreter/dispatcher.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/text.h"
#include "commands/registry.h"
#include "fake/harness.h"
#include "interpreter/aliases.h"
#include "interpreter/command_table.h"

namespace qrx::test {
namespace {

constexpr char16_t kMessages[] =
    u"[ELSE]\r\nERR=わかりません\r\n[SET]\r\nERR1=#A は設定できません\r\nERR2=値がありません\r\n"
    u"[MODE]\r\nDIRECT=直接モード\r\nNORMAL=通常モード\r\n[SYSTEM]\r\nSTART=#A #B\r\n"
    u"END=さようなら\r\nNEST=深すぎます\r\nFAIL=失敗: #A\r\n"
    u"LONG=長すぎます #A\r\n";

class DispatcherTest : public StartedTest {
 protected:
  DispatcherTest() : StartedTest(kMessages) {}
  FakeUi::Answer Last() const { return q.ui.answers.back(); }
};

TEST_F(DispatcherTest, EmptyLineDoesNothingAtAllOtherLinesClearTheAliasArguments) {
  q.ctx.interp.alias_arguments = u"kept";
  RunCommandLine(q.ctx, u"");
  EXPECT_TRUE(q.ui.answers.empty());
  EXPECT_EQ(q.ctx.interp.alias_arguments, u"kept");
  // a line that runs clears them
  q.Type(u"unknown with arguments");
  EXPECT_EQ(q.ctx.interp.alias_arguments, u"");
}

TEST_F(DispatcherTest, MacrosMayProduceTheCommandWordLbatTakesItsArgumentsForDollarL) {
  q.os.env[u"WORD"] = u"ans";
  q.Type(u"%WORD% from-env");
  EXPECT_EQ(Last().text, u"from-env");
  q.Type(u"LBAT \"my file.txt\" one two");
  EXPECT_EQ(q.ctx.interp.command_file_arguments, u"one two");
  q.Type(u"ANS [$L]");
  EXPECT_EQ(Last().text, u"[one");  // the answer's time field takes "two]"
}

TEST(NoWindowTest, CommandsRunBeforeAHostAttachesItsWindow) {
  FakePlatform os;
  FakeUi ui{os};
  Context ctx{os, ui};
  ctx.interp.commands = CommandTable();
  for (const char16_t* line : {u"HIDE", u"SHOW", u"SMALL", u"WAIT 0", u"/D", u"SH a.exe"}) {
    RunTopLevelLine(ctx, line);
  }
  // Nothing reached the surface the user interface would show.
  EXPECT_TRUE(ui.answers.empty());
  EXPECT_TRUE(ui.captions.empty());
  EXPECT_FALSE(ui.visible);
  EXPECT_EQ(ctx.interp.direct_mode, 1);
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

TEST_F(AliasDispatchTest, FailureInsideAnAliasReadsAsNoAliasAtTheTopLevelItIsShown) {
  Alias(u"ENVY", u"ANS %HOME%");
  q.os.env_fails = true;
  q.Type(u"envy");
  EXPECT_EQ(Last().text, u"わかりません");
  EXPECT_EQ(q.ctx.interp.in_alias, 0);
  q.os.env_fails = true;
  q.Type(u"ANS %HOME%");
  EXPECT_EQ(Last().text, u"失敗: environment unavailable");
  EXPECT_EQ(Last().time, 5);
  q.os.env_fails = false;
  q.Type(u"ANS fine");
  EXPECT_EQ(Last().text, u"fine");
}

// --- lines that macros make too long ------------------------------------------------------

TEST_F(DispatcherTest, LinesThatDoubleAtEveryAliasOrCommandFileLevelStopAtTheLengthLimit) {
  q.Type(u"SET 0 $$0$$0");
  q.Type(u"ALIAS X X $$0$$0");
  q.Type(u"X");
  EXPECT_EQ(Last().text, u"長すぎます 32767");
  EXPECT_EQ(q.ctx.interp.in_alias, 0);
  q.os.PutFile(u"C:\\work\\d.bat", "LBAT d.bat $L$L\r\n");
  q.Type(u"LBAT d.bat ab");
  EXPECT_EQ(Last().text, u"長すぎます 32767");
  EXPECT_EQ(Last().time, 5);
  EXPECT_EQ(q.ctx.interp.depth, 0);
}

// --- the table itself --------------------------------------------------------------------

TEST_F(DispatcherTest, HandlersGetTheUpperCaseWordTheRestAndTheExpandedLine) {
  // The probe keeps what it was given in the answer parameters.
  const CommandEntry probe{{u"PROBE", u"P2"}, [](Context& ctx, const CommandCall& call) {
                             ctx.answer.params[0] = call.word;
                             ctx.answer.params[1] = call.rest;
                             ctx.answer.params[2] = call.line;
                           }};
  q.ctx.interp.commands.insert(q.ctx.interp.commands.begin(), probe);
  q.ctx.settings.variables[1] = u"one";
  q.Type(u"p2  \"a b\" $1 ");
  EXPECT_EQ(q.ctx.answer.params[0], u"P2");
  EXPECT_EQ(q.ctx.answer.params[1], u" \"a b\" one ");
  EXPECT_EQ(q.ctx.answer.params[2], u"p2  \"a b\" one ");
}

// One row per word: the order in which the groups are put together cannot matter.
TEST(CommandTableTest, NoWordHasTwoRowsOnlyWholeUpperCaseWordsMatch) {
  std::vector<std::u16string_view> words;
  for (const auto& entry : CommandTable()) {
    for (auto w : entry.words) {
      if (!w.empty()) words.push_back(w);
    }
  }
  std::sort(words.begin(), words.end());
  EXPECT_EQ(std::adjacent_find(words.begin(), words.end()), words.end());
  const std::vector<CommandEntry> table = CommandTable();
  for (auto word : {u"WAVE", u"cls", u"CL", u"\"SH\""}) {
    EXPECT_EQ(FindCommand(table, word), nullptr);
  }
  EXPECT_NE(FindCommand(table, u"/D"), nullptr);
  EXPECT_EQ(FindCommand(table, u"MOVE"), FindCommand(table, u"COPY"));
}

}  // namespace
}  // namespace qrx::test
