// Expansion of macros in command lines ($ and %NAME%) and of parameters in answers (#).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qrx {

struct Context;

// Replaces $X macros: variables, date, folders, clipboard, random numbers, uptime, typed
// input and the results of earlier commands. Replacements are not scanned again. Nothing
// when the result would be longer than kMaxLineLength and than the line itself: the pass
// stops at that point, so a line that doubles at every alias level cannot eat the memory.
std::optional<std::u16string> ExpandDollarMacros(Context& ctx, std::u16string_view line);

// Replaces %NAME% with the environment variable's value, rescanning from the start after
// every replacement. Stops after kMaxEnvironmentReplacements or when the line would grow
// past kMaxLineLength, so a variable that refers to itself cannot hang the program.
std::u16string ExpandEnvironmentReferences(Context& ctx, std::u16string_view line);
inline constexpr int kMaxEnvironmentReplacements = 1000;
inline constexpr size_t kMaxLineLength = 32767;

// Replaces #A..#J with the answer parameters and #0..#9 with the variables; "##" is "#".
// The text is cut where it would pass kMaxLineLength (or its own length, when longer).
std::u16string ExpandAnswerParams(const Context& ctx, std::u16string_view text);

// The text up to its first NUL.
std::u16string TrimAtNul(std::u16string_view text);

// $T: the time since the system started, in days, hours, minutes and seconds.
std::u16string UptimeText(uint32_t tick_ms);

}  // namespace qrx
