// PLACEHOLDER-UNTIL-LAUNCH-WORK
#include "commands/shell/text_commands.h"

#include "interpreter/command_table.h"
#include "interpreter/not_available.h"

namespace qrx {

void ConvCommand(Context& ctx, std::u16string_view) { NotAvailableYet(ctx, {u"CONV", {}, {}}); }
void EchoCommand(Context& ctx, std::u16string_view) { NotAvailableYet(ctx, {u"ECHO", {}, {}}); }
void IniCommand(Context& ctx, std::u16string_view) { NotAvailableYet(ctx, {u"INI", {}, {}}); }
void LhaCommand(Context& ctx, std::u16string_view) { NotAvailableYet(ctx, {u"LHA", {}, {}}); }

}  // namespace qrx
