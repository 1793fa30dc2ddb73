// Function keys F1 to F15 and the global hot key.
#pragma once

namespace qrx {

struct Context;

// Reads "F01" .. "F15" of section "FNC" and the modifier mask "FPU".
void LoadFunctionKeys(Context& ctx);

}  // namespace qrx
