// What the main window's events do beyond the window itself: the tick's duties, one row
// each in the order they run (as the command rows are), and the socket's events and the
// close. The window includes this header and no command group.
#pragma once

#include <cstdint>

namespace qrx {

struct Context;

// One tick of 100 ms: every duty of the table in window_events.cpp that is due (the answer
// countdown, the CD poll, the timers, the clipboard watch, the function keys, the datagrams
// left waiting), each on its own, so that a failure in one does not keep the next from
// running.
void RunTickDuties(Context& ctx);
// True when no duty has work before the next minute unless something happens first: no CD
// repeat, no program index being read, no datagrams held back from the last share, no timer
// command running. A window at rest (and without an answer counting down) may tick once a
// second, as long as it ticks at once on a clipboard change or a grabbed function key.
bool TickDutiesAtRest(const Context& ctx);
// The socket has datagrams (or an error) waiting: they are taken, within this tick's share.
void SocketReadable(Context& ctx);
// The OS reported an error of the socket (its code) together with its event.
void SocketFailed(Context& ctx, int32_t code);
// The user closes the window: the exit runs (throws AppEnding).
[[noreturn]] void WindowClosed(Context& ctx);

}  // namespace qrx
