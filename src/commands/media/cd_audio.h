// CD audio and media control strings: CDDA, MCI and the tick's repeat poll.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/command_entry.h"

namespace qrx {

// Sends one MCI command string. Returns 0 with the device's reply in `out`, the MCI error
// number with the system's description of it, or -1 for an empty string.
int32_t SendMci(Context& ctx, std::u16string_view command, std::u16string& out);
// "CDDA OPEN | PLAY | STOP | CLOSE | RP track | any MCI string".
void CddaCommand(Context& ctx, const CommandCall& call);
// "MCI string": answers "MCI_OK" or "MCI_ERR" with the reply in #A and the code in #B.
void MciCommand(Context& ctx, const CommandCall& call);
// Starts repeating a track (0 ends the repeat). Empty when done, otherwise the text to
// answer: the device's error description, or "CDDA_RP-ERR" when the device gave a position
// or length that is not a number.
std::u16string CdRepeatTrack(Context& ctx, int16_t track);
// The tick's check while a track repeats: plays it again once the device has stopped.
void CdPoll(Context& ctx);

}  // namespace qrx
