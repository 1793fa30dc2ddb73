// The number conversion that every setting and numeric argument goes through.
//
// Numeric text, the whole grammar (anything else is not numeric):
//   - Blanks before and after: space, tab and the full-width space U+3000 (typed by Japanese
//     input methods). Other white space, line breaks included, is not a blank.
//   - Decimal: an optional "+" or "-" (blanks may follow it), digits with "." as the decimal
//     point, an optional exponent. At least one digit before or after the point (".5" and
//     "5." are numbers, "." is not). Digits are ASCII only; full-width digits are not.
//   - Thousands separators: "," only between two digits of the integer part; several in a
//     row count as one place ("1,,2" is 12) and group sizes are not checked ("1,00" is 100).
//     No comma before the first digit, after the last integer digit, in the fraction, in the
//     exponent or in a literal ("5," and ",5" are not numeric).
//   - Exponent: "E" or "D" (either case), an optional sign, at least one digit ("1E3",
//     "1e-2", "1D3"; "1E" is not numeric).
//   - Literals: "&H" hexadecimal or "&O" octal, prefix and digits in either case, no sign,
//     no blank after the prefix. Leading zeros do not count: a value up to 0xFFFF is a 16-bit
//     two's-complement number ("&HFFFF" is -1, "&H8000" is -32768, "&O177777" is -1), a value
//     up to 0xFFFFFFFF a 32-bit one ("&H10000" is 65536, "&HFFFFFFFF" is -1), a larger value
//     is taken as it stands.
//   Not accepted: a trailing sign ("3-"), parentheses for negatives, currency symbols.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qrx {

// The nearest integer, an exact half to the even neighbour (2.5 is 2, -2.5 is -2), whatever
// the floating-point rounding mode.
double RoundHalfEven(double value);

// The number the text stands for, before any rounding; nothing when the text is not numeric
// or its value lies beyond the range of a double ("1E400").
std::optional<double> ParseNumericText(std::u16string_view text);

// Numeric text rounded to the nearest integer, an exact half to the even neighbour (2.5 is
// 2, 3.5 is 4, -2.5 is -2); a value outside -32768..32767, even one beyond the range of a
// double, gives the nearest limit. Text that is not numeric, and the empty text, give 0.
int16_t ToInteger(std::u16string_view text);

}  // namespace qrx
