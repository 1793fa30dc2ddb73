#include "commands/shell/exit_commands.h"

#include "base/text.h"
#include "base/to_integer.h"
#include "core/context.h"
#include "interpreter/aliases.h"
#include "interpreter/answer.h"
#include "interpreter/dispatcher.h"
#include "interpreter/history.h"
#include "interpreter/keys.h"
#include "interpreter/split.h"
#include "interpreter/window_position.h"

namespace qrx {

void RunEndSequence(Context& ctx, std::u16string_view option) {
  if (ctx.end_sequence_done) return;
  // Marked before ENDEXEC runs: an ENDEXEC that says EXIT, SHUTDOWN or ENDEXEC itself
  // must end the program, not start the sequence over.
  ctx.end_sequence_done = true;
  ShowAnswer(ctx, u"SYSTEM_END", ctx.answer.normal_time);
  if (UpperCase(option) != u"NO") {
    if (ctx.settings.move == 1) SaveWindowPosition(ctx);
    SaveHistory(ctx);
    ctx.interp.alias_arguments.clear();
    try {
      RunAlias(ctx, u"ENDEXEC");
    } catch (const NestingTooDeep&) {
      // The program ends all the same; the answer says why ENDEXEC stopped.
      ctx.interp.in_alias = 0;
      ShowAnswer(ctx, u"SYSTEM_NEST", ctx.answer.error_time);
    }
  }
}

void EndApp(Context& ctx) {
  WindowSurface& window = ctx.main_form->Surface();
  window.UnregisterHotKey(kActiveKeyId);
  ctx.main_form->Unload();
  window.DeleteTrayIcon();
  ctx.ui.Quit();
}

void ExitProgram(Context& ctx, std::u16string_view option) {
  RunEndSequence(ctx, option);
  EndApp(ctx);
  throw AppEnding();
}

void ExitCommand(Context& ctx, const CommandCall& call) {
  ExitProgram(ctx, call.rest);
}

namespace {

// The end sequence, then the system is asked to end the session; the option "FORCED" adds
// the flag that closes programs without asking them.
void EndSession(Context& ctx, int32_t flags, std::u16string_view option) {
  if (UpperCase(option) == u"FORCED") flags |= 4;
  RunEndSequence(ctx, u"");
  ctx.os.EndSession(static_cast<uint32_t>(flags));
}

}  // namespace

void ResetCommand(Context& ctx, const CommandCall& call) {
  EndSession(ctx, 2, call.rest);
}

void ShutdownCommand(Context& ctx, const CommandCall& call) {
  EndSession(ctx, 8, call.rest);
}

void LogoffCommand(Context& ctx, const CommandCall& call) {
  EndSession(ctx, 0, call.rest);
}

void EweCommand(Context& ctx, const CommandCall& call) {
  // Hexadecimal; the low 16 bits of a longer number, sign-extended ("FFFF" is -1).
  const double value = ParseNumericText(u"&H" + std::u16string(call.rest)).value_or(0.0);
  EndSession(ctx, static_cast<int16_t>(static_cast<uint16_t>(static_cast<int64_t>(value) & 0xFFFF)),
             call.rest);
}

}  // namespace qrx
