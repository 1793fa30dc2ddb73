// Command-line text cut into program arguments by the rules Windows programs apply to their
// command line, so that parameters written for Windows reach a POSIX program unchanged.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qrx::posix {

// Blanks (space, tab) outside double quotes separate arguments; a double quote starts or
// ends a quoted run and is dropped; inside a quoted run two double quotes give one. A
// backslash is literal unless a run of them ends at a double quote: 2n backslashes give n
// and the quote acts as above, 2n+1 give n and a literal quote. `""` alone is an empty
// argument.
std::vector<std::u16string> SplitWindowsArguments(std::u16string_view text);

}  // namespace qrx::posix
