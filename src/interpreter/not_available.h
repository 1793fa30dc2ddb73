// The handler of commands that this build does not carry yet.
#pragma once

#include "core/command_entry.h"

namespace qrx {

// Answers "<WORD> is not available yet" as an error.
void NotAvailableYet(Context& ctx, const CommandCall& call);

// Answers "SET <NAME> is not available yet" as an error.
void SetNotAvailableYet(Context& ctx, const SetCall& call);

}  // namespace qrx
