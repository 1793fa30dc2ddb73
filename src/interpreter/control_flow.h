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

}  // namespace qrx
