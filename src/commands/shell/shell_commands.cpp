#include "commands/shell/shell_commands.h"

#include "commands/shell/exit_commands.h"
#include "commands/shell/search.h"
#include "commands/shell/text_commands.h"
#include "core/context.h"
#include "interpreter/answer.h"
#include "interpreter/interpreter_start.h"
#include "interpreter/launch.h"

namespace qrx {
namespace {

// "SH program [parameters] [>folder]".
void ShCommand(Context& ctx, const CommandCall& call) {
  LaunchProgram(ctx, call.rest);
}

// ".R": reads the configuration file again. The history stays as it is in memory: the file
// holds only what the last exit saved, so reading it back would lose this run's lines.
void ReloadCommand(Context& ctx, const CommandCall&) {
  const auto history = ctx.history.entries;
  LoadSettings(ctx);
  ctx.history.entries = history;
  ShowAnswer(ctx, u"SYSTEM_INILOAD", ctx.answer.normal_time);
}

// One row per line: the words, then the handler.
// clang-format off
constexpr CommandEntry kCommands[] = {
    {{u"SH"}, ShCommand},
    {{u".", u"EXIT"}, ExitCommand},
    {{u".R"}, ReloadCommand},
    {{u"RESET"}, ResetCommand},
    {{u"SHUTDOWN"}, ShutdownCommand},
    {{u"LOGOFF"}, LogoffCommand},
    {{u"EWE"}, EweCommand},
    {{u"WHICH"}, WhichCommand},
    {{u"SEARCH"}, SearchCommand},
    {{u"INI"}, IniCommand},
    {{u"LHA"}, LhaCommand},
    {{u"ECHO"}, EchoCommand},
    {{u"CONV"}, ConvCommand},
};
// clang-format on

}  // namespace

std::span<const CommandEntry> ShellCommands() {
  return kCommands;
}

}  // namespace qrx
