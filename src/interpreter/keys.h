// Function keys F1 to F15, the global hot key, and text put into the command box or into
// another program's control.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Up (+1) and Down (-1) in the command box: the history entry at the new position.
void RecallHistory(Context& ctx, int step);

// Replaces the command box's text; the user's clipboard text survives.
void PasteIntoCommandBox(Context& ctx, std::u16string_view text);

// What was dropped on the window.
struct DropData {
  std::vector<std::u16string> files;   // file-list format, when offered
  std::optional<std::u16string> text;  // plain-text format, when offered
};

// Inserts a dropped file name (quoted when it has a space) or text at the caret; the user's
// clipboard text survives. A drop it cannot use is refused with a message box.
void PasteDroppedData(Context& ctx, const DropData& data);

}  // namespace qrx
