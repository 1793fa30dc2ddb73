// Command files, the dispatch modes and the caption that shows them.
#pragma once

#include <cstdint>
#include <string_view>

namespace qrx {

struct Context;

// Rebuilds the main window's caption: product, version, mode and clipboard-watch flags.
void UpdateCaption(Context& ctx);

// "/DIRECT" (1) and "/NORMAL" (0).
void SetDirectMode(Context& ctx, int16_t mode);

// "LBAT file [arguments]": the arguments become $L, then the file runs line by line.
void LbatCommand(Context& ctx, std::u16string_view rest);

// Runs every line of a command file.
void RunCommandFile(Context& ctx, std::u16string_view path);

// "IF left == right command" and "IF left != right command".
void RunIf(Context& ctx, std::u16string_view rest);

// "WAIT seconds": waits with the window responsive.
void RunWait(Context& ctx, std::u16string_view rest);

// Waits while events are handled; never spins. A clock that wraps during the wait does not
// make it endless.
void WaitMilliseconds(Context& ctx, int32_t ms);

}  // namespace qrx
