#include "interpreter/dispatcher.h"

#include "base/text.h"
#include "core/context.h"
#include "interpreter/aliases.h"
#include "interpreter/answer.h"
#include "interpreter/command_table.h"
#include "interpreter/expand.h"
#include "interpreter/launch.h"
#include "interpreter/program_index.h"
#include "interpreter/split.h"

namespace qrx {
namespace {

// Keeps the nesting count and clears the alias arguments however the line ends.
class LineScope {
 public:
  explicit LineScope(Context& ctx) : ctx_(ctx) {
    if (ctx_.interp.depth >= kMaxNesting) throw NestingTooDeep();
    ++ctx_.interp.depth;
  }
  ~LineScope() {
    --ctx_.interp.depth;
    ctx_.interp.alias_arguments.clear();
  }
  LineScope(const LineScope&) = delete;
  LineScope& operator=(const LineScope&) = delete;

 private:
  Context& ctx_;
};

void Fallback(Context& ctx, std::u16string_view upper_word, std::u16string_view rest,
              std::u16string_view line) {
  ctx.interp.alias_arguments = std::u16string(rest);
  const bool found = RunAlias(ctx, upper_word);
  if (ctx.interp.direct_mode == 1 || ctx.interp.in_alias == 1) {
    if (found) return;
    // The shell's results above 32 mean success; 32 and below are its error codes.
    if (LaunchProgram(ctx, line) > 32) return;
  }
  if (found) return;
  // A program of the index, by its name, when nothing else took the word.
  if (const IndexedProgram* program = FindIndexedProgram(ctx, upper_word)) {
    LaunchIndexedProgram(ctx, *program, rest);
    return;
  }
  ShowAnswer(ctx, u"ELSE_ERR", ctx.answer.error_time);
}

}  // namespace

void RunCommandLine(Context& ctx, std::u16string_view line) {
  if (line.empty()) return;
  LineScope scope(ctx);
  const std::optional<std::u16string> dollar = ExpandDollarMacros(ctx, line);
  if (!dollar) {
    // A cut line could do something else than was meant: nothing of it runs.
    ctx.answer.params[0] = Decimal(static_cast<int64_t>(kMaxLineLength));
    ShowAnswer(ctx, u"SYSTEM_LONG", ctx.answer.error_time);
    return;
  }
  const std::u16string expanded = ExpandEnvironmentReferences(ctx, *dollar);
  auto fields = SplitArguments(expanded, 1);
  const std::u16string word = UpperCase(fields[0]);
  const std::u16string& rest = fields[1];
  if (const CommandEntry* entry = FindCommand(ctx.interp.commands, word)) {
    entry->handler(ctx, CommandCall{word, rest, expanded});
  } else {
    Fallback(ctx, word, rest, expanded);
  }
}

void RunTopLevelLine(Context& ctx, std::u16string_view line) {
  RunGuarded(ctx, [&] { RunCommandLine(ctx, line); });
}

void RunGuarded(Context& ctx, const std::function<void()>& work) {
  // A new piece of work from the user, a key, the tick or a timer: a file that refused a
  // write earlier gets its box again.
  if (ctx.interp.depth == 0) ctx.write_failure_boxes.clear();
  try {
    work();
  } catch (const NestingTooDeep&) {
    ctx.interp.in_alias = 0;
    ShowAnswer(ctx, u"SYSTEM_NEST", ctx.answer.error_time);
  } catch (const std::exception& e) {
    ctx.interp.in_alias = 0;
    ShowAnswerWith(ctx, u"SYSTEM_FAIL", ctx.answer.error_time, {Utf8ToUtf16(e.what())});
  }
}

}  // namespace qrx
