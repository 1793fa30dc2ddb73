// Starting programs, documents and folders through the shell.
#pragma once

#include <cstdint>
#include <string_view>

namespace qrx {

struct Context;

// Launches "program [parameters] [>folder]"; returns the shell's result (> 32 = success).
// A refused launch is answered as an error: "SH_FILE-ERR" when the program or its folder is
// not there, else "SH_ERR" with the shell's code as #B (#A is the program either way).
int32_t LaunchProgram(Context& ctx, std::u16string_view text);

}  // namespace qrx
