// File operations: copy, move, rename, delete, folders, drives, the properties sheet.
#pragma once

#include <span>

#include "core/command_entry.h"

namespace qrx {

// The file group's rows of the command table.
std::span<const CommandEntry> FileCommands();

}  // namespace qrx
