#include "commands/shell/launch.h"

#include "interpreter/command_table.h"
#include "interpreter/not_available.h"

namespace qrx {

int32_t LaunchProgram(Context& ctx, std::u16string_view) {
  NotAvailableYet(ctx, CommandArgs{u"SH", {}, {}});
  return 0;
}

}  // namespace qrx
