// PLACEHOLDER-UNTIL-LAUNCH-WORK
#include "commands/shell/launch.h"

#include "interpreter/command_table.h"
#include "interpreter/not_available.h"

namespace qrx {

void RunShellCommand(Context& ctx, std::u16string_view word, std::u16string_view) {
  NotAvailableYet(ctx, CommandArgs{word, {}, {}});
}

int32_t LaunchProgram(Context& ctx, std::u16string_view) {
  NotAvailableYet(ctx, CommandArgs{u"SH", {}, {}});
  return 0;
}

}  // namespace qrx
