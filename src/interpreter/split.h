// The one tokenizer of the command interpreter.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qrx {

// Cuts `text` into fields 0 to n at spaces (U+0020 only) that lie outside double quotes.
// Quotes toggle the protection and stay in their field. Each space ends a field, so two
// adjacent spaces give an empty field. Field n receives the untouched remainder after the
// n-th separating space (leading spaces and quotes included); fields that receive nothing
// are empty. A negative n counts as 0. Always returns n + 1 fields.
std::vector<std::u16string> SplitArguments(std::u16string_view text, int16_t n);

}  // namespace qrx
