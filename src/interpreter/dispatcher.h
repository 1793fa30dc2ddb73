// RunCommandLine: the one entry for every command line, whatever its source.
#pragma once

#include <functional>
#include <string_view>

namespace qrx {

struct Context;

// How deep command lines may nest (aliases, command files, IF) before the chain is stopped.
inline constexpr int kMaxNesting = 64;

// Two signals end whole chains of command lines. Neither is a std::exception, on purpose: a
// `catch (const std::exception&)` that turns a handler's own failure into an answer can never
// swallow them, so no catch site has to remember to pass them on.

// Thrown when a chain of nested command lines passes kMaxNesting. It unwinds the whole chain
// (aliases do not turn it into "not found"), so a command file that runs itself three times
// per line cannot multiply into billions of runs. RunGuarded answers it.
struct NestingTooDeep {};

// Thrown by the exit, once the end sequence has run and EndApp has released what start-up
// acquired, to unwind every running command line: nothing after EXIT runs. Only the host's
// event loop catches it.
struct AppEnding {};

// Expands, splits and dispatches one line. Re-entrant.
void RunCommandLine(Context& ctx, std::u16string_view line);

// The entry for lines from the outside world (Enter key, function keys, tick, datagram,
// clipboard). A failure that no handler expected abandons the line and is shown as an
// error answer; the program goes on.
// AppEnding passes through to the host.
void RunTopLevelLine(Context& ctx, std::u16string_view line);

// Runs any outermost piece of work with the same protection.
void RunGuarded(Context& ctx, const std::function<void()>& work);

}  // namespace qrx
