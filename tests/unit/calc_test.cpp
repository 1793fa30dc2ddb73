#include "calc/rpn.h"

#include <gtest/gtest.h>

#include <limits>

#include "base/text.h"
#include "calc/number_text.h"
#include "fake/harness.h"

namespace qrx::test {
namespace {

constexpr char16_t kConfig[] = u"C:\\cfg\\QRX_CORE.INI";

// The result's text, or the error code as "ERRn".
std::string Eval(Instance& q, std::u16string_view expression) {
  int16_t code = -1;
  const double value = EvaluateRpn(q.ctx, expression, code);
  EXPECT_EQ(q.ctx.calc.Count(), 0u) << "the stack is empty after every evaluation";
  if (code == kRpnOk) return Utf16ToUtf8(GeneralNumberText(value));
  EXPECT_EQ(value, 0.0);
  return "ERR" + std::to_string(code);
}

TEST(EvaluateRpnTest, ResultsAndErrorCodes) {
  Instance q;
  q.ctx.calc.Push(99);  // left over from an abandoned evaluation: never used
  const struct {
    const char16_t* expression;
    const char* result;
  } cases[] = {
      {u"7 2 -", "5"},           {u"7 2 /", "3.5"},     {u"2 10 ^", "1024"},
      {u"3 4 2 * +", "11"},      {u"0.1 0.2 +", "0.3"}, {u"-2 3 ^", "-8"},
      {u"&H10 1E1 +", "26"},     {u"42", "42"},         {u"1 +", "ERR1"},
      {u"1 2 3 +", "ERR2"},      {u"", "ERR3"},         {u"1 a +", "ERR4"},
      {u"1 2 a", "ERR2"},   // the leftover test replaces code 4
      {u"5 3 +3", "ERR2"},  // "+3" is a number, not an operator
      {u"1  2 +", "ERR4"},  // two blanks make an empty token
      {u"1E400", "ERR4"},   // beyond the range of a double: not a number
      {u"1 0 /", "ERR5"},        {u"0 0 /", "ERR5"},    {u"1E308 10 *", "ERR5"},
      {u"-8 0.5 ^", "ERR5"},   // no real result
      {u"0 -1 ^", "ERR5"},     // infinity
      {u"9 1 0 /", "ERR5"},    // the failed operator's values are gone
      {u"9 9 1 0 /", "ERR2"},  // a leftover still replaces the code
      {u"1E-200 1E-200 *", "0"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Eval(q, c.expression), c.result) << Utf16ToUtf8(c.expression);
}

TEST(GeneralNumberTextTest, FifteenSignificantDigitsInTheGeneralForm) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {-0.5, "-0.5"},
      {-0.0, "0"},
      {1e20, "1E+20"},
      {-1.5e15, "-1.5E+15"},
      {999999999999999, "999999999999999"},
      {999999999999999.9, "1E+15"},  // the rounding carries into the exponent
      {123456789012345678.0, "1.23456789012346E+17"},
      {1e-5, "1E-05"},
      {0.00012345, "0.00012345"},
      {1e-300, "1E-300"},
      {1234.5, "1234.5"},
      {2.0 / 3.0, "0.666666666666667"},
      {std::numeric_limits<double>::max(), "1.79769313486232E+308"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf16ToUtf8(GeneralNumberText(c.value)), c.text);
}

// --- the command ----------------------------------------------------------------------------

class CalcRpnCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    q.PutDefaultMessages(
        u"[CALCRPN]\r\nDONE=CALCRPN_DONE #A\r\nERR1=CALCRPN_ERR1\r\nERR2=CALCRPN_ERR2\r\n"
        u"ERR3=CALCRPN_ERR3\r\nERR4=CALCRPN_ERR4\r\nERR5=CALCRPN_ERR5\r\n"
        u"[SET]\r\n0-9=SET_0-9 #A/#B\r\nERR1=SET_ERR1 #A\r\n[SYSTEM]\r\nSAVE-ERR=SAVE-ERR\r\n");
    q.Start(kConfig);
    q.ui.answers.clear();
  }
  Instance q;
};

TEST_F(CalcRpnCommandTest, StoresThroughSetAndThenSaysDone) {
  q.Type(u"CALCRPN 0 1 2 +");
  ASSERT_EQ(q.ui.answers.size(), 2u);
  EXPECT_EQ(q.ui.answers[0].text, u"SET_0-9 3/0");
  EXPECT_EQ(q.ui.answers[1].text, u"CALCRPN_DONE 0");
  EXPECT_EQ(q.Config(u"SET", u"0"), u"3");
  q.Type(u"calcrpn 1 10 4 /");
  EXPECT_EQ(q.ctx.settings.variables[1], u"2.5");
  q.Type(u"CALCRPN CLIP 6 7 *");
  EXPECT_EQ(q.os.clipboard, u"42");
}

TEST_F(CalcRpnCommandTest, ErrorsStoreNothing) {
  for (const char16_t* line : {u"CALCRPN 2 1 +", u"CALCRPN 2", u"CALCRPN", u"CALCRPN 2 1 0 /"}) {
    q.ui.answers.clear();
    q.Type(line);
    ASSERT_EQ(q.ui.answers.size(), 1u) << Utf16ToUtf8(line);
    EXPECT_EQ(q.ui.answers[0].time, 5);
  }
  EXPECT_EQ(q.ui.LastAnswer(), u"CALCRPN_ERR5");
  EXPECT_EQ(q.Config(u"SET", u"2"), u"(missing)");
}

TEST_F(CalcRpnCommandTest, FigFillsWithZerosSignIncluded) {
  q.Type(u"SET FIG 3");
  q.Type(u"CALCRPN 4 5 5 *");
  EXPECT_EQ(q.ctx.settings.variables[4], u"025");
  q.Type(u"CALCRPN 4 0 5 -");
  EXPECT_EQ(q.ctx.settings.variables[4], u"0-5");
  q.Type(u"CALCRPN 4 1 8 /");  // 0.125 keeps its last three characters
  EXPECT_EQ(q.ctx.settings.variables[4], u"125");
}

TEST_F(CalcRpnCommandTest, ASetThatFailsIsNotCoveredByDone) {
  q.Type(u"CALCRPN X 1 2 +");
  EXPECT_EQ(q.ui.LastAnswer(), u"SET_ERR1 X");
  q.os.unwritable.insert(UpperCase(kConfig));
  q.Type(u"CALCRPN 3 1 2 +");
  EXPECT_EQ(q.ui.LastAnswer(), u"SAVE-ERR");
}

}  // namespace
}  // namespace qrx::test
