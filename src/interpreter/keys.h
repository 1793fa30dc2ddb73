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

// Registers the hot key from "ACTIVEKEY-EX" and "ACTIVEKEY" (start-up only). A key that
// another program holds is remembered for ReportRefusedActiveKey.
void RegisterActiveKey(Context& ctx);

// Tells the user that the hot key could not be registered ("ACTIVEKEY_ERR", #A the
// combination; "ACTIVEKEY_NONE" where the desktop lets no program take one), also in the
// tray icon's tooltip. Nothing when it was registered.
void ReportRefusedActiveKey(Context& ctx);

// The desktop refused the hot key some time after it was asked for (a shortcuts portal that
// answers later): reported as at start-up.
void ActiveKeyRefusedLater(Context& ctx);

// "SET ACTIVEKEY modifiers key": stores the key under the call's key and the modifiers
// under that key with "-EX", registers anew, answers the call's stem with "_SET" or "_DEL",
// or "ACTIVEKEY_ERR" when another program holds the combination.
void SetActiveKey(Context& ctx, const SetCall& call);

// The tray icon's tooltip: product and version, and a note on a line of its own.
std::u16string TrayTooltip(const Context& ctx, std::u16string_view note);

// A hot key as a user names it: "Ctrl+Alt+Home" for modifiers 3 (Alt 1, Ctrl 2, Shift 4,
// Win 8) and the virtual-key code 36.
std::u16string HotKeyName(uint16_t modifiers, uint16_t key);

// "SET TEXT value": the text goes to the focused control of the foreground application.
void SendTextToFocusedWindow(Context& ctx, const SetCall& call);

// Every tick: runs the command of a function key pressed with the FPU modifiers,
// system-wide. A press runs its command once, however long the key is held.
void PollFunctionKeys(Context& ctx);

// F1 .. F15 (index 0 .. 14) pressed without modifiers in the main window: runs the key's
// command unless this press has run it already (a repeat of the held key, or the poll).
void RunFunctionKeyInWindow(Context& ctx, int index);

}  // namespace qrx
