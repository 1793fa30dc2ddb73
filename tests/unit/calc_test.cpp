#include "commands/calc/rpn.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>

#include "base/text.h"
#include "commands/calc/number_text.h"
#include "fake/harness.h"

namespace qrx::test {
namespace {

constexpr char16_t kConfig[] = u"C:\\cfg\\QRX_CORE.INI";

TEST(EvaluateRpnTest, ResultsAndErrorCodes) {
  Instance q;
  q.ctx.calc.Push(99);  // left over from an abandoned evaluation: never used
  // Codes 1-4, then 5 for no result (division by zero, overflow, infinity, no real power).
  // A leftover value gives code 2 whatever came before; "+3" is a number; "1  2" holds an
  // empty token; 1E400 is beyond a double.
  const std::pair<const char16_t*, const char*> cases[] = {
      {u"7 2 -", "5"},       {u"7 2 /", "3.5"},       {u"2 10 ^", "1024"},    {u"3 4 2 * +", "11"},
      {u"0.1 0.2 +", "0.3"}, {u"&H10 1E1 +", "26"},   {u"1 +", "ERR1"},       {u"1 2 3 +", "ERR2"},
      {u"", "ERR3"},         {u"1 a +", "ERR4"},      {u"1  2 +", "ERR4"},    {u"1E400", "ERR4"},
      {u"1 2 a", "ERR2"},    {u"5 3 +3", "ERR2"},     {u"9 9 1 0 /", "ERR2"}, {u"9 1 0 /", "ERR5"},
      {u"0 0 /", "ERR5"},    {u"1E308 10 *", "ERR5"}, {u"-8 0.5 ^", "ERR5"},  {u"0 -1 ^", "ERR5"},
  };
  for (const auto& [expression, result] : cases) {
    int16_t code = -1;
    const double value = EvaluateRpn(q.ctx, expression, code);
    const std::string what = Utf16ToUtf8(expression);
    EXPECT_EQ(q.ctx.calc.Count(), 0u) << what;  // the stack is empty after every evaluation
    EXPECT_TRUE(code == kRpnOk || value == 0.0) << what;  // 0 with every error
    EXPECT_EQ(code == kRpnOk ? Utf16ToUtf8(GeneralNumberText(value)) : "ERR" + std::to_string(code),
              result)
        << what;
  }
}

TEST(GeneralNumberTextTest, FifteenSignificantDigitsAndTheExponentFormOutsideTheirRange) {
  // The rounding of 999999999999999.9 carries into the exponent.
  // clang-format off
  const std::pair<double, const char*> cases[] = {
      {-0.0, "0"}, {-1.5e15, "-1.5E+15"}, {999999999999999, "999999999999999"},
      {999999999999999.9, "1E+15"}, {123456789012345678.0, "1.23456789012346E+17"},
      {1e-5, "1E-05"}, {0.00012345, "0.00012345"}, {2.0 / 3.0, "0.666666666666667"},
      {std::numeric_limits<double>::max(), "1.79769313486232E+308"}};
  // clang-format on
  for (const auto& [value, text] : cases) EXPECT_EQ(Utf16ToUtf8(GeneralNumberText(value)), text);
}

TEST(CalcRpnCommandTest, StoresThroughSetAndSaysDoneOnlyWhenThatWorked) {
  Instance q;
  q.PutDefaultMessages(u"[CALCRPN]\r\nDONE=CALCRPN_DONE #A #B\r\n[SET]\r\n0-9=SET_0-9 #A/#B\r\n");
  q.Start(kConfig);
  q.ui.answers.clear();
  q.Type(u"CALCRPN 0 1 2 +");
  ASSERT_EQ(q.ui.answers.size(), 2u);
  EXPECT_EQ(q.ui.answers[0].text, u"SET_0-9 3/0");
  EXPECT_EQ(q.ui.answers[1].text, u"CALCRPN_DONE 0 3");  // the variable and the result
  q.Type(u"CALCRPN CLIP 6 7 *");
  EXPECT_EQ(q.os.clipboard, u"42");
  q.Type(u"SET FIG 3");  // zero filling keeps the last three characters, a sign counting
  const std::pair<const char16_t*, const char16_t*> filled[] = {
      {u"5 5 *", u"025"}, {u"0 5 -", u"0-5"}, {u"1 8 /", u"125"}};
  for (const auto& [expression, stored] : filled) {
    q.Type(u"CALCRPN 4 " + std::u16string(expression));
    EXPECT_EQ(q.ctx.settings.variables[4], stored) << Utf16ToUtf8(expression);
  }
  q.Type(u"SET FIG -2");  // no filling
  q.Type(u"CALCRPN 4 1 8 /");
  EXPECT_EQ(q.ctx.settings.variables[4], u"0.125");
  for (const char16_t* line : {u"CALCRPN 2 1 +", u"CALCRPN 2", u"CALCRPN 2 1 0 /"}) {
    q.ui.answers.clear();
    q.Type(line);
    ASSERT_EQ(q.ui.answers.size(), 1u) << Utf16ToUtf8(line);
    EXPECT_EQ(q.ui.answers[0].time, 5);
  }
  EXPECT_EQ(q.ui.LastAnswer(), u"CALCRPN_ERR5");
  EXPECT_EQ(q.Config(u"SET", u"2"), u"(missing)");
  q.Type(u"CALCRPN X 1 2 +");
  EXPECT_EQ(q.ui.LastAnswer(), u"SET_ERR1");
  q.os.unwritable.insert(UpperCase(kConfig));
  q.Type(u"CALCRPN 3 1 2 +");
  EXPECT_EQ(q.ui.LastAnswer(), u"SYSTEM_SAVE-ERR");
}

}  // namespace
}  // namespace qrx::test
