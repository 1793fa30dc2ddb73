#include "commands/shell/shell_commands.h"

#include "core/context.h"
#include "interpreter/answer.h"
#include "interpreter/interpreter_start.h"
#include "interpreter/launch.h"

namespace qrx {

void RunShellCommand(Context& ctx, std::u16string_view word, std::u16string_view text) {
  if (word == u"SH") {
    LaunchProgram(ctx, text);
  } else if (word == u".R") {
    LoadSettings(ctx);
    ShowAnswer(ctx, u"SYSTEM_INILOAD", ctx.answer.normal_time);
  }
}

}  // namespace qrx
