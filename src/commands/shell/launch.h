// Starting programs, documents and folders through the shell.
#pragma once

#include <cstdint>
#include <string_view>

namespace qrx {

struct Context;

// "SH program [parameters] [>folder]" (word "SH") and ".R", the configuration reload.
void RunShellCommand(Context& ctx, std::u16string_view word, std::u16string_view text);

// Launches "program [parameters] [>folder]"; returns the shell's result (> 32 = success).
int32_t LaunchProgram(Context& ctx, std::u16string_view text);

}  // namespace qrx
