#include "commands/shell/exit_commands.h"

#include "base/text.h"
#include "interpreter/aliases.h"
#include "interpreter/answer.h"
#include "interpreter/dispatcher.h"
#include "interpreter/history.h"
#include "startup/context.h"
#include "startup/startup.h"

namespace qrx {

void RunEndSequence(Context& ctx, std::u16string_view option) {
  if (ctx.end_sequence_done) return;
  ShowAnswer(ctx, u"SYSTEM_END", ctx.answer.normal_time);
  if (UpperCase(option) != u"NO") {
    SaveHistory(ctx);
    ctx.interp.alias_arguments.clear();
    RunAlias(ctx, u"ENDEXEC");
  }
  ctx.end_sequence_done = true;
}

void ExitProgram(Context& ctx, std::u16string_view option) {
  RunEndSequence(ctx, option);
  EndApp(ctx);
  throw AppEnding();
}

}  // namespace qrx
