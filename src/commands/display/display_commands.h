// Commands that act on the main window and the answer display.
#pragma once

#include <span>

#include "core/command_entry.h"

namespace qrx {

// The display group's rows of the command table.
std::span<const CommandEntry> DisplayCommands();

// "WRITE": saves the window position and the history, and says so.
void WriteCommand(Context& ctx, const CommandCall& call);

}  // namespace qrx
