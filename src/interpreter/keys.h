// Function keys F1 to F15, the global hot key, and text sent into another program's control.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/command_entry.h"

namespace qrx {

inline constexpr int32_t kActiveKeyId = 1000;

// Reads "F01" .. "F15" of section "FNC" and the modifier mask "FPU".
void LoadFunctionKeys(Context& ctx);

// Registers the hot key from "ACTIVEKEY-EX" and "ACTIVEKEY" (start-up only).
void RegisterActiveKey(Context& ctx);

// "SET ACTIVEKEY modifiers key": stores the key under the call's key and the modifiers
// under that key with "-EX", registers anew, answers the call's stem with "_SET" or "_DEL".
void SetActiveKey(Context& ctx, const SetCall& call);

// "SET TEXT value": the text goes to the focused control of the foreground application.
void SendTextToFocusedWindow(Context& ctx, const SetCall& call);

// Every tick: runs the command of a function key held with the FPU modifiers, system-wide.
void PollFunctionKeys(Context& ctx);
}  // namespace qrx
