// SET: the settings worker and the clipboard command watch.
#pragma once

#include <string_view>

namespace qrx {

struct Context;

// One SET sub-command: `word` as the routing passes it (variables as typed, the rest upper
// case), `value` the rest of the line. Every outcome is one answer; a write that the
// configuration file refuses is answered "SYSTEM_SAVE-ERR" in place of the success answer
// (the setting then holds until the program ends).
void SetCommand(Context& ctx, std::u16string_view word, std::u16string_view value);

// Runs a "QSCMD:" command found on the clipboard; called by the tick while CLIPFLG is 1.
void WatchClipboard(Context& ctx);

}  // namespace qrx
