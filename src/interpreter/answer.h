// Answers: every outcome of a command is shown by message key through ShowAnswer.
#pragma once

#include <cstdint>
#include <string_view>

namespace qrx {

struct Context;

// Shows the catalogue text of a SECTION_KEY message key (or a literal text without "_")
// for `time` seconds: -1 keeps it until the next answer, -2 with an empty text clears.
void ShowAnswer(Context& ctx, std::u16string_view key, int16_t time);

// "SYSTEM_SAVE-ERR" with the configuration file as #A: a setting could not be stored.
void ShowSaveRefused(Context& ctx);

// Plays a sound; `flags` is the PlaySound flags as numeric text (anything else means 0,
// which waits until the sound has played).
void PlayWave(Context& ctx, std::u16string_view name, std::u16string_view flags);

}  // namespace qrx
