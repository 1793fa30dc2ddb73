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
namespace {

// The low 16 bits of a hexadecimal number of any length, sign-extended ("FFFF" is -1);
// 0 when the text is not one. Trailing blanks are allowed, as after any number. Only the
// last four digits matter, so no length can overflow.
int16_t LowHexBits(std::u16string_view text) {
  while (!text.empty() &&
         (text.back() == u' ' || text.back() == u'\t' || text.back() == u'\u3000')) {
    text.remove_suffix(1);
  }
  if (text.empty()) return 0;
  uint16_t low = 0;
  for (const char16_t c : text) {
    int digit = -1;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    } else if (c >= u'a' && c <= u'f') {
      digit = c - u'a' + 10;
    }
    if (digit < 0) return 0;
    low = static_cast<uint16_t>((low << 4) | digit);
  }
  return static_cast<int16_t>(low);
}

}  // namespace

void RunEndSequence(Context& ctx, std::u16string_view option) {
  if (ctx.end_sequence_done) return;
  // Marked before ENDEXEC runs: an ENDEXEC that says EXIT, SHUTDOWN or ENDEXEC itself
  // must end the program, not start the sequence over.
  ctx.end_sequence_done = true;
  // Closing the window is a piece of work of its own: the boxes of the last line do not count.
  if (ctx.interp.depth == 0) ctx.write_failure_boxes.clear();
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
  EndSession(ctx, LowHexBits(call.rest), call.rest);
}

}  // namespace qrx
