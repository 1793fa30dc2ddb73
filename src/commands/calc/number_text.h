// The general text form of a calculator result.
#pragma once

#include <string>

namespace qrx {

// At most 15 significant digits, no trailing zeros, no separator for whole numbers, "0."
// before a fraction, "-" for negatives; the exponent form ("1E+20", "1.5E-07") from 1E15
// up and below 1E-4. The decimal separator is ".", as the number parser reads it back.
std::u16string GeneralNumberText(double value);

// FIG's zero filling: `width` zeros in front, then the last `width` characters; a sign
// counts as one more character ("-5" in 4 is "00-5"). A width of 0 or less changes nothing.
std::u16string ZeroFill(std::u16string text, int width);

}  // namespace qrx
