// Leaving the program: the end sequence and the exit.
#pragma once

#include <string_view>

namespace qrx {

struct Context;

// "EXIT [NO]" and ".": the end sequence, then the program ends (does not return: throws
// AppEnding to unwind every running command line).
[[noreturn]] void ExitProgram(Context& ctx, std::u16string_view option);

// Once per run: answers "SYSTEM_END" and, unless the option is "NO", saves the position and
// the history and runs the alias "ENDEXEC".
void RunEndSequence(Context& ctx, std::u16string_view option);

}  // namespace qrx
