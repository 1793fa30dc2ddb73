// The number grammar: ToInteger, ParseNumericText and the calculator's evaluation and result
// text. The first byte of an input chooses how the rest becomes text (code page 932, or
// UTF-16 units as they come). Besides the sanitizers, every input checks:
//   - blanks around a text change neither its value nor its integer;
//   - the integer is the value rounded (within a half) or its nearest limit, and text that
//     is not a number gives 0 or a limit;
//   - a minus sign before a decimal number negates it;
//   - the calculator leaves its stack empty, gives a finite result exactly when the code is
//     0, gives a lone number back as it is, and its result text reads back as the result.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/text.h"
#include "base/to_integer.h"
#include "commands/calc/number_text.h"
#include "commands/calc/rpn.h"
#include "core/context.h"
#include "cpu_budget.h"
#include "fake/fake_platform.h"
#include "fake/fake_ui.h"
#include "platform/posix/cp932.h"

namespace {

[[noreturn]] void Fail(const char* what, std::u16string_view text) {
  std::fprintf(stderr, "invariant broken: %s [%s]\n", what, qrx::Utf16ToUtf8(text).c_str());
  std::abort();
}

std::u16string InputText(const uint8_t* data, size_t size) {
  if ((data[0] & 1) == 0) {
    return qrx::Cp932Decode(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  }
  std::u16string text;
  for (size_t i = 1; i + 1 < size; i += 2) {
    text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  return text;
}

void CheckInteger(const std::u16string& text) {
  const std::optional<double> value = qrx::ParseNumericText(text);
  const int16_t n = qrx::ToInteger(text);
  if (value && !std::isfinite(*value)) Fail("a value that is not finite", text);
  if (qrx::ParseNumericText(u" \t" + text + u"\u3000") != value) Fail("blanks changed it", text);
  if (qrx::ToInteger(u"\u3000" + text + u" ") != n) Fail("blanks changed the integer", text);
  if (!value) {
    if (n != 0 && n != 32767 && n != -32768) Fail("no number, yet an integer", text);
    return;
  }
  if (*value > 32767.5 && n != 32767) Fail("not held at the upper limit", text);
  if (*value < -32768.5 && n != -32768) Fail("not held at the lower limit", text);
  if (std::fabs(*value) < 32767 && std::fabs(*value - n) > 0.5) Fail("not rounded", text);
  size_t first = text.find_first_not_of(u" \t\u3000");
  if (first == std::u16string::npos) return;
  const char16_t c = text[first];
  if ((c >= u'0' && c <= u'9') || c == u'.') {
    const std::u16string negated = u"-" + text.substr(first);
    if (qrx::ParseNumericText(negated) != -*value) Fail("a minus sign did not negate", text);
    if (std::abs(n) < 32767 && qrx::ToInteger(negated) != -n) Fail("- rounded apart", text);
  }
}

void CheckCalculator(qrx::Context& ctx, const std::u16string& text) {
  int16_t code = -1;
  const double result = qrx::EvaluateRpn(ctx, text, code);
  if (ctx.calc.Count() != 0) Fail("values left on the stack", text);
  if (code < qrx::kRpnOk || code > qrx::kRpnNoResult) Fail("an unknown code", text);
  if (code != qrx::kRpnOk) {
    if (result != 0) Fail("a result with an error", text);
    return;
  }
  if (!std::isfinite(result)) Fail("a result that is not finite", text);
  if (text.find(u' ') == std::u16string::npos) {
    if (qrx::ParseNumericText(text) != result) Fail("a lone number came back changed", text);
  }
  const std::u16string shown = qrx::GeneralNumberText(result);
  const std::optional<double> back = qrx::ParseNumericText(shown);
  // 15 significant digits: within a part in 10^14 of the result.
  if (!back || std::fabs(*back - result) > std::fabs(result) * 1e-14) {
    Fail("the result text does not read back", shown);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const qrx::fuzz::CpuBudget budget;
  static qrx::test::FakePlatform os;
  static qrx::test::FakeUi ui(os);
  static qrx::Context ctx(os, ui);
  const std::u16string text = InputText(data, size);
  CheckInteger(text);
  CheckCalculator(ctx, text);
  budget.Check();
  return 0;
}
