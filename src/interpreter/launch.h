// Starting programs, documents and folders through the shell.
#pragma once

#include <cstdint>
#include <string_view>

namespace qrx {

struct Context;

// Launches "program [parameters] [>folder]"; returns the shell's result (> 32 = success).
int32_t LaunchProgram(Context& ctx, std::u16string_view text);

}  // namespace qrx
