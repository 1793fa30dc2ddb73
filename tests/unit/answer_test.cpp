#include "interpreter/answer.h"

#include <gtest/gtest.h>

#include "fake/harness.h"

namespace qrx::test {
namespace {

class AnswerTest : public StartedTest {
 protected:
  AnswerTest()
      : StartedTest(
            u"[SET]\r\nERR1=#A は設定できません\r\n[SND]\r\nONE=鳴ります #A|ding.wav\r\n"
            u"TWO=二つ|chime.wav 9\r\nTHREE=三つ|x.wav|myskin\r\nFOUR=四つ|a.wav|b|c\r\n"
            u"EMPTY=無音|\r\n") {}
  void Style(std::u16string_view value) {
    q.os.ProfileWriteString(u"SYSTEM", u"ANS-WINDOW", std::u16string(value), q.ctx.paths.config);
  }
  std::vector<std::string> SoundCalls() {
    std::vector<std::string> out;
    for (const auto& c : q.os.calls) {
      if (c.rfind("PlaySound", 0) == 0) out.push_back(c);
    }
    return out;
  }
};

TEST_F(AnswerTest, CatalogueTextsAndMissingKeys) {
  q.ctx.answer.params[0] = u"XY";
  ShowAnswer(q.ctx, u"SET_ERR1", 5);
  EXPECT_EQ(q.ui.LastAnswer(), u"XY は設定できません");
  ShowAnswer(q.ctx, u"NOSECTION_KEY", 3);
  EXPECT_EQ(q.ui.LastAnswer(), u"NOSECTION_KEY");
  ShowAnswer(q.ctx, u"日本語の文 #A", 3);  // no "_": shown as it is, parameters inserted
  EXPECT_EQ(q.ui.LastAnswer(), u"日本語の文 XY");
}

TEST_F(AnswerTest, ParametersGoInOrderAndTheRestKeepTheirValues) {
  q.ctx.answer.params = {u"a", u"b", u"c", u"d"};
  // #B is given from the old #A: the parameters are read before any is replaced.
  ShowAnswerWith(q.ctx, u"#A/#B/#C/#D", 3, {u"new", q.ctx.answer.params[0]});
  EXPECT_EQ(q.ui.LastAnswer(), u"new/a/c/d");
  ClearAnswer(q.ctx);
  EXPECT_EQ(q.ui.answers.back().text, u"");
  EXPECT_EQ(q.ui.answers.back().time, kAnswerCleared);
  ShowAnswer(q.ctx, u"x", 5);
  EXPECT_EQ(q.ctx.answer.last_ok, 0);
  ShowAnswer(q.ctx, u"", -2);
  EXPECT_EQ(q.ctx.answer.last_ok, -1);
  ShowAnswer(q.ctx, u"y", 0);
  EXPECT_EQ(q.ctx.answer.last_ok, -1);
}

TEST_F(AnswerTest, BarsSplitOffTheSound) {
  q.ctx.answer.params[0] = u"A";
  for (const auto& [key, text] : {std::pair{u"SND_ONE", u"鳴ります A"},
                                  {u"SND_TWO", u"二つ"},
                                  {u"SND_THREE", u"三つ"},
                                  {u"SND_FOUR", u"四つ"},
                                  {u"SND_EMPTY", u"無音"}}) {
    ShowAnswer(q.ctx, key, 3);
    EXPECT_EQ(q.ui.LastAnswer(), text);
  }
  EXPECT_EQ(SoundCalls(), (std::vector<std::string>{"PlaySound ding.wav 1", "PlaySound chime.wav 9",
                                                    "PlaySound x.wav 1", "PlaySound a.wav 1"}));
}

TEST_F(AnswerTest, LibraryOutputWhenTheLibraryIsOnTheSearchPathAndLoads) {
  Style(u"DLL");
  ShowAnswer(q.ctx, u"no library yet", 3);
  EXPECT_EQ(q.ui.LastAnswer(), u"no library yet");  // not found: the window shows it
  q.os.PutFile(u"C:\\quorix\\QS_DLL1.DLL", "MZ");
  q.ui.answers.clear();
  ShowAnswer(q.ctx, u"to the library", 4);
  EXPECT_TRUE(q.ui.answers.empty());
  EXPECT_EQ(q.os.calls.back(), "fncAns C:\\quorix\\QS_DLL1.DLL 4660 4 to the library");
  q.os.library_loads = false;  // cannot be loaded: the window shows it
  ShowAnswer(q.ctx, u"shown anyway", 3);
  EXPECT_EQ(q.ui.LastAnswer(), u"shown anyway");
}

TEST_F(AnswerTest, StyleIsCaseSensitiveAndReadAtEveryAnswer) {
  q.os.PutFile(u"C:\\quorix\\QS_DLL1.DLL", "MZ");
  Style(u"dll");
  ShowAnswer(q.ctx, u"window", 3);
  EXPECT_EQ(q.ui.LastAnswer(), u"window");
  Style(u"KORADINE");
  ShowAnswer(q.ctx, u"popup", 3);
  ShowAnswer(q.ctx, u"", -2);
  EXPECT_EQ(q.ui.popups.size(), 2u);
  EXPECT_EQ(q.ui.LastAnswer(), u"window");
  Style(u"");
  ShowAnswer(q.ctx, u"back", 3);
  EXPECT_EQ(q.ui.LastAnswer(), u"back");
}

TEST_F(AnswerTest, SoundCommandsGiveNoAnswer) {
  for (auto line : {u"BEEP", u"waveplay ding.wav 1", u"WAVEPLAY ding.wav x", u"WAVEPLAY d 99999"}) {
    q.Type(line);
  }
  EXPECT_TRUE(q.ui.answers.empty());
  EXPECT_EQ(q.os.calls[0], "Beep");
  EXPECT_EQ(SoundCalls(), (std::vector<std::string>{"PlaySound ding.wav 1", "PlaySound ding.wav 0",
                                                    "PlaySound d 99999"}));
}

TEST_F(AnswerTest, WhichAndSearchPaths) {
  const std::u16string deep = u"C:\\" + std::u16string(250, u'd');
  q.os.search_dirs = {deep};
  q.os.PutFile(deep + u"\\long.exe", "MZ");
  q.Type(u"WHICH long.exe");  // does not fit the 255-character search buffer
  EXPECT_EQ(q.ui.LastAnswer(), u"SEARCH_ERR");
  q.os.PutFile(u"C:\\temp\\b.txt", "");
  q.os.PutFile(u"C:\\temp\\a.txt", "");
  q.os.PutFile(u"\\readme.txt", "");
  q.Type(u"SEARCH C:\\temp\\*.txt");
  EXPECT_EQ(q.ui.LastAnswer(), u"C:\\temp\\a.txt");
  q.Type(u"SEARCH readme.txt");
  EXPECT_EQ(q.ui.LastAnswer(), u"\\readme.txt");
  q.Type(u"SEARCH \"C:\\temp\\b.txt\"");
  EXPECT_EQ(q.ui.LastAnswer(), u"C:\\temp\\b.txt");
}

}  // namespace
}  // namespace qrx::test
