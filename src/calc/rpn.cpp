// PLACEHOLDER-UNTIL-SETTINGS-WORK
#include "calc/rpn.h"

#include "interpreter/command_table.h"
#include "interpreter/not_available.h"

namespace qrx {

void CalcRpnCommand(Context& ctx, std::u16string_view) {
  NotAvailableYet(ctx, CommandArgs{u"CALCRPN", {}, {}});
}

}  // namespace qrx
