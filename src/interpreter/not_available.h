// The handler of commands that this build does not carry yet.
#pragma once

#include "interpreter/command_table.h"

namespace qrx {

// Answers "<WORD> is not available yet" as an error.
void NotAvailableYet(Context& ctx, const CommandArgs& args);

}  // namespace qrx
