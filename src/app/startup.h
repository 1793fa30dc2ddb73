// Start-up and exit of a quorix instance.
#pragma once

#include <string_view>

namespace qrx {

struct Context;

// The start-up sequence, up to the greeting "SYSTEM_START". The host has made the main
// window (ctx.main_form) before; `argument` is the whole command-line argument. Hands the
// command table to the context first.
void StartUp(Context& ctx, std::u16string_view argument);

// Compares the version stored in the configuration with the running one and tells the user.
void CheckVersion(Context& ctx);
}  // namespace qrx
