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
  ShowAnswer(ctx, u"SYSTEM_END", ctx.answer.normal_time);
  if (UpperCase(option) != u"NO") {
    if (ctx.settings.move == 1) SaveWindowPosition(ctx);
    SaveHistory(ctx);
    ctx.interp.alias_arguments.clear();
    RunAlias(ctx, u"ENDEXEC");
  }
  ctx.end_sequence_done = true;
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

uint32_t WindowsExitFlags(std::u16string_view line) {
  auto fields = SplitArguments(line, 1);
  const std::u16string word = UpperCase(fields[0]);
  const std::u16string& option = fields[1];
  int32_t flags = 0;
  if (word == u"RESET") {
    flags = 2;
  } else if (word == u"SHUTDOWN") {
    flags = 8;
  } else if (word == u"EWE") {
    // Hexadecimal; the low 16 bits of a longer number, sign-extended ("FFFF" is -1).
    const double value = ParseNumericText(u"&H" + option).value_or(0.0);
    flags = static_cast<int16_t>(static_cast<uint16_t>(static_cast<int64_t>(value) & 0xFFFF));
  }
  if (UpperCase(option) == u"FORCED") flags |= 4;
  return static_cast<uint32_t>(flags);
}

void ExitCommand(Context& ctx, const CommandCall& call) {
  ExitProgram(ctx, call.rest);
}

void WindowsExitCommand(Context& ctx, const CommandCall& call) {
  RunEndSequence(ctx, u"");
  ctx.os.EndSession(WindowsExitFlags(call.line));
}

}  // namespace qrx
