#include "commands/registry.h"

#include <span>

#include "commands/calc/rpn.h"
#include "commands/display/display_commands.h"
#include "commands/files/file_commands.h"
#include "commands/media/media_commands.h"
#include "commands/net/net_commands.h"
#include "commands/settings/set_table.h"
#include "commands/shell/shell_commands.h"
#include "interpreter/command_table.h"

namespace qrx {

std::vector<CommandEntry> CommandTable() {
  std::vector<CommandEntry> table;
  for (std::span<const CommandEntry> group :
       {DisplayCommands(), FileCommands(), ShellCommands(), NetCommands(), MediaCommands(),
        InterpreterCommands(), CalcCommands(), SettingsCommands()}) {
    table.insert(table.end(), group.begin(), group.end());
  }
  return table;
}

}  // namespace qrx
