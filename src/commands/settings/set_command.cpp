// PLACEHOLDER-UNTIL-SETTINGS-WORK
#include "commands/settings/set_command.h"

#include "interpreter/command_table.h"
#include "interpreter/not_available.h"

namespace qrx {

void SetCommand(Context& ctx, std::u16string_view, std::u16string_view) {
  NotAvailableYet(ctx, CommandArgs{u"SET", {}, {}});
}

void WatchClipboard(Context&) {}

}  // namespace qrx
