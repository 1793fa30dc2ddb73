// The settings group's SET sub-commands.
//
// Each handler keeps its value in memory, stores it under its row's section and key, and
// answers with its row's answer key; a write that the configuration file refuses is
// answered "SYSTEM_SAVE-ERR" in place of the success answer (the setting then holds until
// the program ends).
#pragma once

#include "core/command_entry.h"

namespace qrx {

// "CLIP": the value replaces the clipboard's text (not stored).
void SetClipboard(Context& ctx, const SetCall& call);
// "0" to "9": a user variable; other names of the range answer "SET_ERR1".
void SetVariable(Context& ctx, const SetCall& call);
// "RND", "FIG", "FPU", "POSTYPE": numbers through ToInteger, stored in decimal.
void SetRandomRange(Context& ctx, const SetCall& call);
void SetRandomDigits(Context& ctx, const SetCall& call);
void SetFunctionKeyModifiers(Context& ctx, const SetCall& call);
void SetPosType(Context& ctx, const SetCall& call);
// "F01" to "F15": a function key's command; other names of the range answer "SET_ERR1".
void SetFunctionKey(Context& ctx, const SetCall& call);
// "CLIPFLG": the clipboard command watch, on only for "ON"; answers before it stores.
void SetClipWatch(Context& ctx, const SetCall& call);
// "SKIN": the skin of the next start; an empty value removes it.
void SetSkin(Context& ctx, const SetCall& call);
// "MOVE": the window can be dragged unless the value is "OFF", which first saves where the
// window stands, as WRITE does.
void SetMove(Context& ctx, const SetCall& call);
// SET INDEX ON|OFF: the program index; INDEX reads all its sources again at once.
void SetIndex(Context& ctx, const SetCall& call);
void IndexCommand(Context& ctx, const CommandCall& call);

}  // namespace qrx
