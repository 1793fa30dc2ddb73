// Media commands: beeps, wave sounds, CD audio and raw media-control strings.
#pragma once

#include <span>

#include "core/command_entry.h"

namespace qrx {

// The media group's rows of the command table.
std::span<const CommandEntry> MediaCommands();

}  // namespace qrx
