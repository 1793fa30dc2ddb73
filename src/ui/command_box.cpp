#include "ui/command_box.h"

#include <algorithm>

#include "core/context.h"
#include "core/message_catalogue.h"

namespace qrx {
namespace {

// The command box holds one line: like a paste, a text goes in up to its first line break.
std::u16string_view FirstLine(std::u16string_view text) {
  return text.substr(0, text.find_first_of(u"\r\n"));
}

}  // namespace

void RecallHistory(Context& ctx, int step) {
  ctx.history.index = static_cast<int16_t>(std::clamp(ctx.history.index + step, 0, 9));
  PasteIntoCommandBox(ctx, ctx.history.entries[ctx.history.index]);
}

void PasteIntoCommandBox(Context& ctx, std::u16string_view text) {
  // Straight into the box: the user's clipboard is never touched, whatever it holds.
  WindowSurface& window = ctx.main_form->Surface();
  window.SetCommandText(u"");
  window.InsertIntoCommandBox(FirstLine(text));
}

void PasteDroppedData(Context& ctx, const DropData& data) {
  std::optional<std::u16string> text;
  if (!data.files.empty()) {
    text = data.files.front();
    if (text->find(u' ') != std::u16string::npos) text = u"\"" + *text + u"\"";
  }
  if (data.text) text = data.text;  // text wins over a file name when both are offered
  if (text) {
    WindowSurface& window = ctx.main_form->Surface();
    window.InsertIntoCommandBox(FirstLine(*text));
    window.FocusCommandBox();
    return;
  }
  ctx.ui.MessageBox(BoxText(ctx, u"BOX_DROP-ERR"), ctx.app.product_name,
                    mb::kOk | mb::kSystemModal);
}

}  // namespace qrx
