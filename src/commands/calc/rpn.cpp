#include "commands/calc/rpn.h"

#include <cmath>
#include <optional>

#include "base/text.h"
#include "base/to_integer.h"
#include "commands/calc/number_text.h"
#include "core/context.h"
#include "interpreter/answer.h"
#include "interpreter/dispatcher.h"
#include "interpreter/split.h"

namespace qrx {
namespace {

std::optional<double> Apply(char16_t op, double b, double a) {
  double result = 0;
  switch (op) {
    case u'+':
      result = b + a;
      break;
    case u'-':
      result = b - a;
      break;
    case u'*':
      result = b * a;
      break;
    case u'/':
      if (a == 0) return std::nullopt;
      result = b / a;
      break;
    default:
      result = std::pow(b, a);
      break;
  }
  // Infinity (overflow, or 0 to a negative power) and NaN (a negative base with a
  // fractional exponent) are no results; nothing may store them.
  if (!std::isfinite(result)) return std::nullopt;
  return result;
}

bool IsOperator(std::u16string_view token) {
  return token.size() == 1 &&
         std::u16string_view(u"+-*/^").find(token[0]) != std::u16string_view::npos;
}

// Runs the tokens; stops at the first fault and returns its code.
int16_t RunTokens(CalcState& stack, std::u16string_view expression) {
  size_t start = 0;
  for (;;) {
    const size_t blank = expression.find(u' ', start);
    const std::u16string_view token = expression.substr(start, blank - start);
    if (IsOperator(token)) {
      if (stack.Count() < 2) return kRpnTooFewValues;
      const double a = stack.Pop();
      const double b = stack.Pop();
      const std::optional<double> result = Apply(token[0], b, a);
      if (!result) return kRpnNoResult;
      stack.Push(*result);
    } else if (const std::optional<double> number = ParseNumericText(token)) {
      stack.Push(*number);
    } else {
      return kRpnNotANumber;
    }
    if (blank == std::u16string_view::npos) return kRpnOk;
    start = blank + 1;
  }
}

void CalcRpnCommand(Context& ctx, const CommandCall& call) {
  const auto fields = SplitArguments(call.rest, 1);
  const std::u16string& variable = fields[0];
  int16_t code = kRpnOk;
  const double result = EvaluateRpn(ctx, fields[1], code);
  if (code != kRpnOk) {
    ShowAnswer(ctx, u"CALCRPN_ERR" + Decimal(code), ctx.answer.error_time);
    return;
  }
  const std::u16string text = ZeroFill(GeneralNumberText(result), ctx.settings.random_digits);
  RunCommandLine(ctx, u"SET " + variable + u" " + text);
  // SET has answered a failure of its own (a name it does not know, a refused write);
  // "done" would cover it up.
  if (ctx.answer.last_ok == 0) return;
  ShowAnswerWith(ctx, u"CALCRPN_DONE", ctx.answer.normal_time, {variable, text});
}

}  // namespace

double EvaluateRpn(Context& ctx, std::u16string_view expression, int16_t& code) {
  CalcState& stack = ctx.calc;
  stack.Clear();
  code = expression.empty() ? kRpnEmpty : RunTokens(stack, expression);
  if (stack.Count() > 1) code = kRpnValuesLeft;
  if (code == kRpnOk && stack.Count() == 0) code = kRpnEmpty;
  const double result = code == kRpnOk ? stack.Pop() : 0;
  stack.Clear();
  return result;
}

std::span<const CommandEntry> CalcCommands() {
  static constexpr CommandEntry kCommands[] = {{{u"CALCRPN"}, CalcRpnCommand}};
  return kCommands;
}

}  // namespace qrx
