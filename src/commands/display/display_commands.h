// Commands that act on the main window and the answer display.
#pragma once

#include <string_view>

namespace qrx {

struct Context;

// "CLS", "SMALL", "HIDE", "SHOW" (the upper-cased word); other words do nothing.
void WindowWord(Context& ctx, std::u16string_view word);
// "ANS key [time]": shows a catalogue message or a literal text.
void AnsCommand(Context& ctx, std::u16string_view rest);
// "MBOX message [title]": a system-modal information box.
void MboxCommand(Context& ctx, std::u16string_view rest);
// "WRITE": saves the window position and the history.
void WriteCommand(Context& ctx);
// "VER": the version banner.
void VerCommand(Context& ctx);
// "SKIN name": shows that skin and keeps it (the default skin when it has no picture).
void SkinCommand(Context& ctx, std::u16string_view rest);

}  // namespace qrx
