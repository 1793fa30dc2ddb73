// Command files, the dispatch modes and the caption that shows them.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/command_entry.h"

namespace qrx {

struct Context;

// Rebuilds the main window's caption: product, version, mode and clipboard-watch flags.
void UpdateCaption(Context& ctx);

// "/DIRECT" and "/NORMAL": unknown words are launched as programs, or not.
void DirectCommand(Context& ctx, const CommandCall& call);
void NormalCommand(Context& ctx, const CommandCall& call);

// "LBAT file [arguments]": the arguments become $L, then the file runs line by line.
void LbatCommand(Context& ctx, const CommandCall& call);

// Runs every line of a command file.
void RunCommandFile(Context& ctx, std::u16string_view path);

// "IF left == right command" and "IF left != right command".
void IfCommand(Context& ctx, const CommandCall& call);

// "WAIT seconds": waits with the window responsive.
void WaitCommand(Context& ctx, const CommandCall& call);

// Waits while events are handled; never spins. A clock that wraps during the wait does not
// make it endless.
void WaitMilliseconds(Context& ctx, int32_t ms);

}  // namespace qrx
