// Tab in the command box: the candidates each position offers, their ranking, quoting of
// names with blanks, cycling and Esc; and launching a program of the index by its name.
#include "ui/completion.h"

#include <gtest/gtest.h>

#include "fake/harness.h"
#include "interpreter/program_index.h"

namespace qrx::test {
namespace {

constexpr int32_t kTab = 9, kEscape = 27;

class CompletionTest : public StartedTest {
 protected:
  CompletionTest() : StartedTest(u"[TAB]\r\nLIST=#A: #B\r\n") {}
  // A program of the index; `launches` and `serial` as counted by earlier launches.
  void Index(std::u16string launch, std::u16string display, uint32_t launches = 0,
             uint32_t serial = 0) {
    q.ctx.index.on = true;
    q.ctx.index.loaded = true;
    IndexedProgram p;
    p.found.launch_name = launch;
    p.found.display_name = display;
    p.found.program = u"C:\\apps\\" + launch + u".exe";
    if (launches > 0) q.ctx.index.launches[p.found.program] = {launches, serial};
    q.ctx.index.programs.push_back(p);
  }
  std::u16string Tab(std::u16string_view text, bool shift = false) {
    if (!text.empty()) q.ui.SetCommandText(text);
    q.window.OnKeyDown(kTab, shift, false, false);
    return q.ui.command;
  }
  std::vector<std::u16string> Ranked(std::u16string_view typed) {
    std::vector<std::u16string> names;
    for (const auto& c : CompleteWord(q.ctx, typed, typed.size()).candidates) {
      names.push_back(c.text);
    }
    return names;
  }
};

TEST_F(CompletionTest, RankingExactPrefixWordStartLettersThenLaunchesThenShorter) {
  Index(u"codec", u"codec", 9, 9);
  Index(u"code", u"code");
  Index(u"vstudio", u"Visual Studio Code");
  Index(u"vscodium", u"Codium");
  Index(u"ovenscale", u"ovenscale");
  Index(u"firewall", u"firewall", 3, 1);
  Index(u"firefox", u"firefox", 1, 5);
  Index(u"fireplace", u"fireplace", 1, 7);
  Index(u"abcd", u"abcd");
  Index(u"abc", u"abc");
  struct Case {
    std::u16string typed;
    std::vector<std::u16string> best_first;
  };
  const Case cases[] = {
      // An exact name first, whatever the launches of the others; then names that start
      // with it; then names with a word that starts with it.
      {u"code", {u"code", u"codec", u"vstudio"}},
      // Letters in order only when nothing starts with the text; a near run and word
      // starts score more than a far one.
      {u"vc", {u"vscodium", u"vstudio", u"ovenscale"}},
      // Among equals: launched more, then more lately, then the shorter name.
      {u"fire", {u"firewall", u"fireplace", u"firefox"}},
      {u"ab", {u"abc", u"abcd"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Ranked(c.typed), c.best_first) << Utf16ToUtf8(c.typed);
  }
}

TEST_F(CompletionTest, EachPositionOffersItsOwnNames) {
  q.Type(u"ECHO wonderful");
  q.os.PutFile(u"C:\\t\\foo.txt", "");
  q.os.PutFile(u"C:\\t\\sub\\x.txt", "");
  q.os.PutFile(u"C:\\Program Files\\a b.txt", "");
  struct Case {
    std::u16string typed;
    std::u16string box;
  };
  const Case cases[] = {
      {u"SET F1", u"SET F1"},                        // F10 … F15: the common beginning is typed
      {u"ECHO won", u"ECHO wonderful "},             // elsewhere: the history's words
      {u"COPY c:\\T\\fo", u"COPY c:\\T\\foo.txt "},  // Windows paths ignore case
      {u"COPY C:\\t\\s", u"COPY C:\\t\\sub\\"},      // a folder ends in the separator
      {u"COPY C:\\Pro", u"COPY \"C:\\Program Files\\"},  // a blank quotes; a folder stays open
      {u"COPY \"C:\\Program Files\\a", u"COPY \"C:\\Program Files\\a b.txt\" "},
      {u"COPY zz", u"COPY zz"},  // nothing to offer: the box stays
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Tab(c.typed), c.box) << Utf16ToUtf8(c.typed);
  }
}

TEST_F(CompletionTest, SeveralCandidatesAreListedThenCycledAndEscPutsBackTheText) {
  // The common beginning first, with the list on the answer line.
  EXPECT_EQ(Tab(u"SET cl"), u"SET CLIP");
  EXPECT_EQ(q.ui.LastAnswer(), u"2: CLIP CLIPFLG");
  EXPECT_EQ(Tab({}), u"SET CLIP ");
  EXPECT_EQ(Tab({}), u"SET CLIPFLG ");
  EXPECT_EQ(Tab({}), u"SET CLIP ");
  EXPECT_EQ(Tab({}, true), u"SET CLIPFLG ");  // backwards past the first
  EXPECT_TRUE(q.window.OnKeyDown(kEscape, false, false, false));
  EXPECT_EQ(q.ui.command, u"SET cl");
  // Once restored, Esc is the box's again.
  EXPECT_FALSE(q.window.OnKeyDown(kEscape, false, false, false));
}

TEST_F(CompletionTest, AnIndexedNameLaunchesOnlyWhereNoCommandOrAliasTakesIt) {
  Index(u"runme", u"Run Me Tool");
  Index(u"np", u"Notepad");
  Index(u"ver", u"Version tool");
  q.Type(u"ALIAS np ECHO alias");
  q.os.calls.clear();
  q.Type(u"RUNME a b");
  q.Type(u"np");
  q.Type(u"ver");
  EXPECT_EQ(std::ranges::count_if(q.os.calls, [](auto& c) { return c.starts_with("ShellEx"); }), 1);
  EXPECT_TRUE(std::ranges::count(
      q.os.calls, "ShellExecute 4660 [OPEN] [C:\\apps\\runme.exe] [a b] [C:\\apps\\] 1"));
  EXPECT_EQ(q.ctx.index.launches[u"C:\\apps\\runme.exe"].count, 1u);
}

}  // namespace
}  // namespace qrx::test
