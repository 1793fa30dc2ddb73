// The three expansion passes and the answer output: the input gives the variables, answer
// parameters, clipboard, environment, random settings, a catalogue entry and the texts to
// expand (any of them repeated to beyond the line limit). Besides the sanitizers, checks:
//   - no pass makes a text longer than 32,767 characters or than the text given, and the
//     dollar pass gives nothing instead of a longer line;
//   - a text without the pass's lead character comes back unchanged;
//   - an answer shows its text up to the first "|" with the parameters filled in, whether it
//     is a literal text or a catalogue entry.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/text.h"
#include "cpu_budget.h"
#include "fake/harness.h"
#include "interpreter/answer.h"
#include "interpreter/expand.h"
#include "platform/posix/cp932.h"

namespace {

using qrx::test::Instance;

[[noreturn]] void Fail(const char* what, std::u16string_view text) {
  std::fprintf(stderr, "invariant broken: %s [%s]\n", what,
               qrx::Utf16ToUtf8(text.substr(0, 200)).c_str());
  std::abort();
}

// A text in code page 932 or as UTF-16 units, sometimes repeated far past the line limit.
std::u16string Text(FuzzedDataProvider& in) {
  std::u16string text;
  if (in.ConsumeBool()) {
    text = qrx::Cp932Decode(in.ConsumeRandomLengthString(64));
  } else {
    const size_t n = in.ConsumeIntegralInRange<size_t>(0, 16);
    for (size_t i = 0; i < n && in.remaining_bytes() >= 2; ++i) {
      text.push_back(in.ConsumeIntegral<char16_t>());
    }
  }
  // Mostly short; now and then up to 2^15 times, so that lengths near the limit come up.
  const uint8_t r = in.ConsumeIntegral<uint8_t>();
  const size_t repeat = r < 240 ? 1 : size_t{1} << (r - 240);
  std::u16string out;
  for (size_t i = 0; i < repeat && out.size() < 40000; ++i) out += text;
  return out;
}

void CheckLength(const char* pass, std::u16string_view in, std::u16string_view out) {
  if (out.size() > std::max(qrx::kMaxLineLength, in.size())) Fail(pass, in);
}

void CheckPasses(Instance& q, const std::u16string& text) {
  if (const auto dollar = qrx::ExpandDollarMacros(q.ctx, text)) {
    CheckLength("the dollar pass grew past the limit", text, *dollar);
    if (text.find(u'$') == std::u16string::npos && *dollar != text) Fail("$ pass changed", text);
  }
  const std::u16string env = qrx::ExpandEnvironmentReferences(q.ctx, text);
  CheckLength("the environment pass grew past the limit", text, env);
  if (text.find(u'%') == std::u16string::npos && env != text) Fail("% pass changed", text);
  const std::u16string answer = qrx::ExpandAnswerParams(q.ctx, text);
  CheckLength("the answer pass grew past the limit", text, answer);
  if (text.find(u'#') == std::u16string::npos && answer != text) Fail("# pass changed", text);
}

// The answer shows the text before the first "|", its parameters filled in.
void CheckAnswer(Instance& q, std::u16string_view key, std::u16string_view text) {
  const std::u16string shown = qrx::ExpandAnswerParams(q.ctx, text.substr(0, text.find(u'|')));
  qrx::ShowAnswer(q.ctx, key, 3);
  if (q.ctx.answer.text != shown) Fail("the answer shows something else", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const qrx::fuzz::CpuBudget budget;
  // A new instance for every input: nothing it records can pile up from one to the next.
  const auto instance = std::make_unique<Instance>();
  Instance& q = *instance;
  FuzzedDataProvider in(data, size);
  for (auto& v : q.ctx.settings.variables) v = Text(in);
  for (auto& p : q.ctx.answer.params) p = Text(in);
  q.ctx.answer.text = Text(in);
  q.ctx.answer.last_ok = in.ConsumeBool() ? -1 : 0;
  q.ctx.interp.command_file_arguments = Text(in);
  q.ctx.interp.random.seed(in.ConsumeIntegral<uint32_t>());
  q.ctx.settings.random_range = in.ConsumeIntegral<int16_t>();
  q.ctx.settings.random_digits = in.ConsumeIntegral<int16_t>();
  q.os.clipboard = in.ConsumeBool() ? std::optional<std::u16string>(Text(in)) : std::nullopt;
  q.os.tick = in.ConsumeIntegral<uint32_t>();
  q.os.env = {{u"A", Text(in)}, {u"SELF", u"%SELF%%SELF%"}, {Text(in), Text(in)}};
  q.ui.input_replies = {Text(in), std::nullopt};

  // The catalogue entry and the answer style are read from files, as on every answer.
  q.ctx.paths.config = u"C:\\q\\Q.INI";
  q.ctx.paths.message = u"C:\\q\\Q.MSG";
  constexpr const char* kStyles[] = {"", "DLL", "KORADINE"};
  q.os.PutFile(q.ctx.paths.config,
               std::string("[SYSTEM]\r\nANS-WINDOW=") + kStyles[in.ConsumeIntegralInRange(0, 2)]);
  const std::u16string entry = Text(in);
  q.os.PutFile(q.ctx.paths.message, "[K]\r\nX=" + q.os.ToAnsi(entry.substr(0, 300)) + "\r\n");

  const std::u16string text = Text(in);
  CheckPasses(q, text);
  // A key names a catalogue entry when it has "_"; otherwise it is the text itself.
  if (text.find(u'_') == std::u16string::npos) CheckAnswer(q, text, text);
  const std::u16string stored = q.os.ProfileGetString(u"K", u"X", u"", q.ctx.paths.message);
  if (!stored.empty()) CheckAnswer(q, u"K_X", stored);
  budget.Check();
  return 0;
}
