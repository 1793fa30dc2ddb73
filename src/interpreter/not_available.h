// The handlers of commands and SET names that this build does not carry yet.
#pragma once

#include "core/command_entry.h"

namespace qrx {

// Answers "SYSTEM_NOT-YET" as an error, with the command word as #A.
void NotAvailableYet(Context& ctx, const CommandCall& call);

// Answers "SYSTEM_NOT-YET" as an error, with "SET" and the name as #A.
void SetNotAvailableYet(Context& ctx, const SetCall& call);

}  // namespace qrx
