// Shell, file-content and system commands: launching, exit and session end, search, INI,
// ECHO, CONV and the archive library.
#pragma once

#include <span>

#include "core/command_entry.h"

namespace qrx {

// The shell group's rows of the command table.
std::span<const CommandEntry> ShellCommands();

}  // namespace qrx
