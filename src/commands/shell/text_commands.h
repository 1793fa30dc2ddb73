// Commands on files for command files and aliases: CONV, ECHO, INI and LHA.
#pragma once

#include "core/command_entry.h"

namespace qrx {

void ConvCommand(Context& ctx, const CommandCall& call);
void EchoCommand(Context& ctx, const CommandCall& call);
void IniCommand(Context& ctx, const CommandCall& call);
void LhaCommand(Context& ctx, const CommandCall& call);

}  // namespace qrx
