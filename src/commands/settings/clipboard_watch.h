// The clipboard command watch ("SET CLIPFLG=ON"): a text on the clipboard that starts with
// "QSCMD:" is taken off the clipboard and runs as a command line.
#pragma once

namespace qrx {

struct Context;

// Runs a "QSCMD:" command found on the clipboard; the tick calls it while CLIPFLG is 1.
void WatchClipboard(Context& ctx);

}  // namespace qrx
