// Bringing the interpreter into its working state, and reloading the settings.
#pragma once

namespace qrx {

struct Context;

// Defaults, settings, caption, the alias "AUTOEXEC" and the greeting "SYSTEM_START".
void StartInterpreter(Context& ctx);

// Reads the stored settings; does nothing when the configuration file does not exist.
void LoadSettings(Context& ctx);

}  // namespace qrx
