// CALCRPN: the reverse-Polish calculator.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/command_entry.h"

namespace qrx {

// Error codes of an evaluation; the answer key is "CALCRPN_ERR" followed by the code.
inline constexpr int16_t kRpnOk = 0;
inline constexpr int16_t kRpnTooFewValues = 1;  // an operator found fewer than two values
inline constexpr int16_t kRpnValuesLeft = 2;    // more than one value left at the end
inline constexpr int16_t kRpnEmpty = 3;         // no expression
inline constexpr int16_t kRpnNotANumber = 4;    // a token neither operator nor number
inline constexpr int16_t kRpnNoResult = 5;      // division by zero, overflow, no real power

// Evaluates tokens separated by single blanks on the context's value stack. Returns the
// result, or 0 with `code` set when the evaluation failed; the stack is empty afterwards.
// A leftover value replaces any earlier code with kRpnValuesLeft.
double EvaluateRpn(Context& ctx, std::u16string_view expression, int16_t& code);

// The calculator's row of the command table: "CALCRPN variable expression" evaluates, then
// stores the result by running "SET variable result", and answers "CALCRPN_DONE" (or
// "CALCRPN_ERR" and the code).
std::span<const CommandEntry> CalcCommands();

}  // namespace qrx
