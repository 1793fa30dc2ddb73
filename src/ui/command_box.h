// The command box's own logic: history recall, and text pasted or dropped into it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qrx {

struct Context;

// Up (+1) and Down (-1) in the command box: the history entry at the new position.
void RecallHistory(Context& ctx, int step);

// Replaces the command box's text with the first line of `text`; the clipboard is left alone.
void PasteIntoCommandBox(Context& ctx, std::u16string_view text);

// What was dropped on the window.
struct DropData {
  std::vector<std::u16string> files;   // file-list format, when offered
  std::optional<std::u16string> text;  // plain-text format, when offered
};

// Inserts a dropped file name (quoted when it has a space) or the first line of a dropped
// text at the caret; the clipboard is left alone. A drop it cannot use is refused with a
// message box.
void PasteDroppedData(Context& ctx, const DropData& data);

}  // namespace qrx
