// Answers: every outcome of a command is shown by message key through ShowAnswer.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace qrx {

struct Context;

// Display times with a meaning of their own; all others are seconds.
inline constexpr int16_t kAnswerUntilReplaced = -1;  // stays until the next answer
inline constexpr int16_t kAnswerCleared = -2;        // with the empty text: clears the answer

// Shows the catalogue text of a SECTION_KEY message key (or a literal text without "_")
// for `time` seconds.
void ShowAnswer(Context& ctx, std::u16string_view key, int16_t time);

// Shows a text exactly as it is: no catalogue lookup, no sound field, no parameters (a found
// file name may hold "_", "|" and "#").
void ShowLiteralAnswer(Context& ctx, std::u16string_view text, int16_t time);

// Sets the answer parameters #A, #B, ... to `params` in order, then shows the key. The
// parameters after them keep their values.
void ShowAnswerWith(Context& ctx, std::u16string_view key, int16_t time,
                    std::initializer_list<std::u16string_view> params);

// Clears the answer.
void ClearAnswer(Context& ctx);

// "SYSTEM_SAVE-ERR" with the configuration file as #A: a setting could not be stored.
void ShowSaveRefused(Context& ctx);

// Plays a sound; `flags` is the PlaySound flags as numeric text (anything else means 0,
// which waits until the sound has played).
void PlayWave(Context& ctx, std::u16string_view name, std::u16string_view flags);

}  // namespace qrx
