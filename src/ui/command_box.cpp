#include "ui/command_box.h"

#include <algorithm>

#include "core/context.h"

namespace qrx {
namespace {

// Puts a text into the command box through the clipboard, as the paste message does, and
// gives the user's clipboard text back afterwards.
// False when the clipboard could not be had.
bool PasteThroughClipboard(Context& ctx, std::u16string_view text) {
  WindowSurface& window = ctx.main_form->Surface();
  const std::optional<std::u16string> kept = ctx.os.GetClipboardText();
  if (!ctx.os.SetClipboardText(text)) return false;
  window.PasteClipboardIntoCommandBox();
  ctx.os.SetClipboardText(kept.value_or(u""));
  return true;
}

}  // namespace

void RecallHistory(Context& ctx, int step) {
  ctx.history.index = static_cast<int16_t>(std::clamp(ctx.history.index + step, 0, 9));
  PasteIntoCommandBox(ctx, ctx.history.entries[ctx.history.index]);
}

void PasteIntoCommandBox(Context& ctx, std::u16string_view text) {
  ctx.main_form->Surface().SetCommandText(u"");
  PasteThroughClipboard(ctx, text);
}

void PasteDroppedData(Context& ctx, const DropData& data) {
  std::optional<std::u16string> text;
  if (!data.files.empty()) {
    text = data.files.front();
    if (text->find(u' ') != std::u16string::npos) text = u"\"" + *text + u"\"";
  }
  if (data.text) text = data.text;  // text wins over a file name when both are offered
  if (text && PasteThroughClipboard(ctx, *text)) {
    ctx.main_form->Surface().FocusCommandBox();
    return;
  }
  ctx.ui.MessageBox(u"その形式には対応していません\rごめんなさい", ctx.app.product_name,
                    mb::kOk | mb::kSystemModal);
}

}  // namespace qrx
