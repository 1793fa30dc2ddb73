// Commands that start programs and reload the configuration.
#pragma once

#include <string_view>

namespace qrx {

struct Context;

// "SH program [parameters] [>folder]" (word "SH") and ".R", the configuration reload.
void RunShellCommand(Context& ctx, std::u16string_view word, std::u16string_view text);

}  // namespace qrx
