#include "interpreter/expand.h"

#include <gtest/gtest.h>

#include <set>

#include "fake/harness.h"

namespace qrx::test {
namespace {

class ExpandTest : public ::testing::Test {
 protected:
  std::u16string Dollar(std::u16string_view line) {
    return ExpandDollarMacros(q.ctx, line).value_or(u"(too long)");
  }
  std::u16string Env(std::u16string_view line) { return ExpandEnvironmentReferences(q.ctx, line); }
  Instance q;
};

TEST_F(ExpandTest, DollarMacrosDateVariablesFoldersResultsAndClipboard) {
  EXPECT_EQ(Dollar(u"$$"), u"$");
  EXPECT_EQ(Dollar(u"a$"), u"a");     // a lone $ at the end is dropped
  EXPECT_EQ(Dollar(u"$x$Z"), u"xZ");  // unknown letters keep their case, the $ goes
  EXPECT_EQ(Dollar(u"$$D"), u"$D");   // survives once, for an alias that runs later
  EXPECT_EQ(Dollar(u"#A %X%"), u"#A %X%");
  q.os.now = LocalTime{2006, 3, 5, 0, 0, 0};
  EXPECT_EQ(Dollar(u"$Y-$M-$D $d"), u"2006-03-05 05");
  q.ctx.settings.variables[3] = u"abc";
  EXPECT_EQ(Dollar(u"[$3][$4]"), u"[abc][]");
  EXPECT_EQ(Dollar(u"$A|$C|$S|$W"), u"C:\\quorix|C:\\work|C:\\WINDOWS\\system32|C:\\WINDOWS");
  EXPECT_EQ(Dollar(u"a$Nb"), u"a\r\nb");
  q.ctx.answer.text = u"last";
  q.ctx.answer.last_ok = -1;
  q.ctx.interp.command_file_arguments = u"x y";
  EXPECT_EQ(Dollar(u"$@ $` $l"), u"last -1 x y");
  q.ctx.answer.last_ok = 0;
  EXPECT_EQ(Dollar(u"$`"), u"0");
  EXPECT_EQ(Dollar(u"[$V]"), u"[]");
  q.os.clipboard = u"clip";
  EXPECT_EQ(Dollar(u"[$v]"), u"[clip]");
}

TEST_F(ExpandTest, RandomNumbersStayInRangeAndAreZeroFilled) {
  q.ctx.settings.random_range = 6;
  std::set<std::u16string> seen;
  for (int i = 0; i < 500; ++i) seen.insert(Dollar(u"$R"));
  EXPECT_EQ(seen, (std::set<std::u16string>{u"1", u"2", u"3", u"4", u"5", u"6"}));
  q.ctx.settings.random_digits = 3;
  EXPECT_EQ(Dollar(u"$R").substr(0, 2), u"00");
  q.ctx.settings.random_range = 0;
  q.ctx.settings.random_digits = 0;
  EXPECT_EQ(Dollar(u"$R"), u"1");
}

TEST_F(ExpandTest, UptimeInDaysHoursMinutesSeconds) {
  EXPECT_EQ(UptimeText((86400 + 2 * 3600 + 3 * 60 + 4) * 1000u), u"1日と2時間3分4秒");
  EXPECT_EQ(UptimeText(65 * 1000), u"1分5秒");
  EXPECT_EQ(UptimeText(7200 * 1000), u"2時間0秒");
  EXPECT_EQ(UptimeText(999), u"0秒");
  // Past ~24.8 days the clock reads negative: only (negative) seconds are shown.
  EXPECT_EQ(UptimeText(0xFFFFFC18u), u"-1秒");
  q.os.tick = 61000;
  EXPECT_EQ(Dollar(u"$T"), u"1分1秒");
}

TEST_F(ExpandTest, EnvironmentReferencesScannedAgainButNotWithoutBound) {
  q.os.env[u"PATH"] = u"C:\\bin";
  EXPECT_EQ(Env(u"[%PATH%]"), u"[C:\\bin]");
  EXPECT_EQ(Env(u"[%UNDEFINED%]"), u"[]");
  EXPECT_EQ(Env(u"100%"), u"100%");
  EXPECT_EQ(Env(u"a%%b"), u"ab");
  q.os.env[u"NUL"] = std::u16string(u"cut") + u'\0' + u"away";
  EXPECT_EQ(Env(u"%NUL%"), u"cut");
  q.os.env[u"OUTER"] = u"%INNER%";
  q.os.env[u"INNER"] = u"deep";
  EXPECT_EQ(Env(u"%OUTER%"), u"deep");  // values are scanned again
  // a reference to itself cannot hang or grow without bound
  q.os.env[u"SELF"] = u"%SELF%";
  EXPECT_EQ(Env(u"%SELF%"), u"%SELF%");
  q.os.env[u"GROW"] = u"xxxxxxxxxxxxxxxx%GROW%";
  const std::u16string grown = Env(u"%GROW%");
  EXPECT_LE(grown.size(), kMaxLineLength);
  const std::u16string huge(40000, u'a');
  EXPECT_EQ(Env(huge + u"%GROW%").size(), huge.size() + 6);  // already too long: left alone
}

TEST_F(ExpandTest, DollarPassStopsWhereTheLineWouldPassTheLimit) {
  q.ctx.settings.variables[0] = std::u16string(kMaxLineLength - 1, u'v');
  EXPECT_EQ(Dollar(u"x$0").size(), kMaxLineLength);
  EXPECT_EQ(Dollar(u"xy$0"), u"(too long)");
  EXPECT_EQ(Dollar(u"$0xy"), u"(too long)");  // plain text after a replacement counts too
  // A longer line may keep its length; only what replacements add is stopped.
  const std::u16string huge(40000, u'a');
  EXPECT_EQ(Dollar(huge + u"$$"), huge + u"$");
  EXPECT_EQ(Dollar(huge + u"$Y"), u"(too long)");
}

TEST_F(ExpandTest, AnswerParametersAreCutAtTheLimit) {
  q.ctx.answer.params[0] = u"abc";
  q.ctx.answer.params[9] = u"j";
  q.ctx.settings.variables[0] = u"v0";
  EXPECT_EQ(ExpandAnswerParams(q.ctx, u"#A #a #J #0 ## #Z #"), u"abc abc j v0 # Z ");
  EXPECT_EQ(ExpandAnswerParams(q.ctx, u"$1 %P%"), u"$1 %P%");
  q.ctx.answer.params[0] = std::u16string(kMaxLineLength - 1, u'a');
  q.ctx.settings.variables[1] = u"\U0001F600";  // a surrogate pair
  EXPECT_EQ(ExpandAnswerParams(q.ctx, u"x#A#A"), u"x" + q.ctx.answer.params[0]);
  EXPECT_EQ(ExpandAnswerParams(q.ctx, u"#A#1").size(), kMaxLineLength - 1);  // not half of it
  const std::u16string huge(40000, u'b');
  EXPECT_EQ(ExpandAnswerParams(q.ctx, huge), huge);
  // 12,288 times a variable of 32,760 characters would be 800 MB.
  q.ctx.settings.variables[0] = std::u16string(32760, u'0');
  std::u16string many;
  for (int i = 0; i < 12288; ++i) many += u"#0";
  EXPECT_EQ(ExpandAnswerParams(q.ctx, many).size(), kMaxLineLength);
}

}  // namespace
}  // namespace qrx::test
