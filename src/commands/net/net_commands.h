// Commands over the network: LINK messages to trusted peers and Wake-on-LAN.
#pragma once

#include <span>

#include "core/command_entry.h"

namespace qrx {

// The network group's rows of the command table.
std::span<const CommandEntry> NetCommands();

}  // namespace qrx
