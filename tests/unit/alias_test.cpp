#include "interpreter/aliases.h"

#include <gtest/gtest.h>

#include "fake/harness.h"

namespace qrx::test {
namespace {

class AliasTest : public StartedTest {
 protected:
  AliasTest()
      : StartedTest(
            u"[BAT]\r\nADD=#A = #B\r\nDEL=#A 削除\r\nVIEW=#A は #B\r\nERR=#A はありません\r\n") {}
  std::string ConfigBytes() { return q.os.FileBytes(u"C:\\cfg\\QRX_CORE.INI"); }
};

TEST_F(AliasTest, DefineStoresQuotedUpperCaseNameRunsUnknownWordsButNoCommandWord) {
  q.Type(u"ALIAS greet ANS hi");
  EXPECT_EQ(q.ui.LastAnswer(), u"GREET = ANS hi");
  EXPECT_NE(ConfigBytes().find("[BAT]\r\nGREET=\"ANS hi\"\r\n"), std::string::npos);
  q.Type(u"greet");
  EXPECT_EQ(q.ui.LastAnswer(), u"hi");
  q.Type(u"GrEeT");
  EXPECT_EQ(q.ui.LastAnswer(), u"hi");
  q.Type(u"ALIAS cls ANS alias");
  q.Type(u"ANS shown");
  q.Type(u"cls");
  EXPECT_EQ(q.ui.answers.back().time, -2);
  q.Type(u"ALIAS np notepad.exe");
  q.os.calls.clear();
  q.Type(u"np x.txt");
  bool launched = false;
  for (const auto& c : q.os.calls) launched |= c.find("[notepad.exe] [x.txt]") != std::string::npos;
  EXPECT_TRUE(launched);
}

TEST_F(AliasTest, LeadingBlanksSurviveTheFileAndTheReloadOfTwoNamesTheFirstWins) {
  q.Type(u"ALIAS sp   ANS spaced");
  EXPECT_EQ(LookupAliasText(q.ctx, u"SP"), u"  ANS spaced");
  Instance again;
  again.StartWith(ConfigBytes());
  EXPECT_EQ(LookupAliasText(again.ctx, u"sp"), u"  ANS spaced");
  q.os.PutFile(u"C:\\cfg\\QRX_CORE.INI",
               "[SYSTEM]\r\nVersion=0.50\r\n[BAT]\r\nab=\"ANS first\"\r\nAB=\"ANS second\"\r\n");
  LoadAliases(q.ctx);
  q.Type(u"ab");
  EXPECT_EQ(q.ui.LastAnswer(), u"first");
}

TEST_F(AliasTest, ViewAndDelete) {
  q.Type(u"ALIAS np SH notepad.exe");
  q.Type(u"ALIAS /? np");
  EXPECT_EQ(q.ui.LastAnswer(), u"np は SH notepad.exe");
  q.Type(u"ALIAS /? nothing");
  EXPECT_EQ(q.ui.LastAnswer(), u"nothing はありません");
  EXPECT_EQ(q.ui.answers.back().time, 5);
  q.Type(u"ALIAS np");
  EXPECT_EQ(q.ui.LastAnswer(), u"NP 削除");
  EXPECT_EQ(ConfigBytes().find("NP="), std::string::npos);
  q.Type(u"ALIAS never");  // deleting what is not there still says so
  EXPECT_EQ(q.ui.LastAnswer(), u"NEVER 削除");
}

TEST_F(AliasTest, NoNameDeletesNothingAndWritesNothing) {
  const std::string before = ConfigBytes();
  q.ui.boxes.clear();
  q.Type(u"ALIAS");
  EXPECT_EQ(q.ui.LastAnswer(), u" 削除");
  EXPECT_EQ(q.ui.answers.back().time, 3);
  q.Type(u"ALIAS  ANS x");  // a line without a name defines nothing
  EXPECT_EQ(q.ui.LastAnswer(), u" はありません");
  EXPECT_EQ(q.ui.answers.back().time, 5);
  EXPECT_TRUE(q.ui.boxes.empty());
  EXPECT_EQ(ConfigBytes(), before);
}

TEST_F(AliasTest, MacrosRunWhenDefinedUnlessDoubled) {
  q.os.now.day = 7;
  q.Type(u"ALIAS day ANS $$D-$D");
  EXPECT_EQ(LookupAliasText(q.ctx, u"DAY"), u"ANS $D-07");
  q.os.now.day = 9;
  q.Type(u"day");
  EXPECT_EQ(q.ui.LastAnswer(), u"09-07");
}

TEST_F(AliasTest, LineBreakInTheTextIsRefusedAndReported) {
  q.Type(u"ALIAS evil ANS x$N[BAT]");
  EXPECT_EQ(q.ui.LastAnswer(), u"SYSTEM_SAVE-ERR");
  ASSERT_FALSE(q.ui.boxes.empty());
  EXPECT_NE(q.ui.boxes.back().text.find(u"への書き込みに失敗しました"), std::u16string::npos);
  EXPECT_EQ(LookupAliasText(q.ctx, u"EVIL"), u"");
  EXPECT_EQ(ConfigBytes().find("EVIL"), std::string::npos);
}

}  // namespace
}  // namespace qrx::test
