// Leaving the program: the end sequence and the exit.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/command_entry.h"

namespace qrx {

struct Context;

// "EXIT [NO]" and ".": the end sequence, then the program ends (does not return: throws
// AppEnding to unwind every running command line).
[[noreturn]] void ExitProgram(Context& ctx, std::u16string_view option);

// Once per run: answers "SYSTEM_END" and, unless the option is "NO", saves the position and
// the history and runs the alias "ENDEXEC".
void RunEndSequence(Context& ctx, std::u16string_view option);

// The last step of every run: releases what start-up acquired and ends the event loop.
void EndApp(Context& ctx);

// "EXIT [NO]" and ".": the exit, with the rest of the line as its option.
[[noreturn]] void ExitCommand(Context& ctx, const CommandCall& call);

// "RESET", "SHUTDOWN", "LOGOFF" and "EWE flags" (hexadecimal), each with the option
// "FORCED": the end sequence, then the system is asked to end the session. The program does
// not end by itself.
void ResetCommand(Context& ctx, const CommandCall& call);
void ShutdownCommand(Context& ctx, const CommandCall& call);
void LogoffCommand(Context& ctx, const CommandCall& call);
void EweCommand(Context& ctx, const CommandCall& call);

}  // namespace qrx
