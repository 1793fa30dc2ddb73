// The handler of commands that this build does not carry yet.
#pragma once

#include "core/command_entry.h"

namespace qrx {

// Answers "<WORD> is not available yet" as an error.
void NotAvailableYet(Context& ctx, const CommandCall& call);

}  // namespace qrx
