// The sound front: BEEP, WAVEPLAY, CDDA, and the sounds that answers carry.
#pragma once

#include <string_view>

namespace qrx {

struct Context;

// kind "BEEP": the system beep; "WAVE": "name [flags]" is played; "CDDA": the CD player.
void SoundCommand(Context& ctx, std::u16string_view kind, std::u16string_view text);
}  // namespace qrx
