#include "commands/display/display_commands.h"

#include "base/to_integer.h"
#include "core/context.h"
#include "interpreter/answer.h"
#include "interpreter/history.h"
#include "interpreter/split.h"
#include "interpreter/window_position.h"
#include "ui/main_window.h"

namespace qrx {

void WindowWord(Context& ctx, std::u16string_view word) {
  if (word == u"CLS") {
    ShowAnswer(ctx, u"", -2);
    return;
  }
  if (ctx.main_form == nullptr) return;
  WindowSurface& window = ctx.main_form->Surface();
  if (word == u"SMALL") {
    window.MinimizeWindow();
  } else if (word == u"HIDE") {
    window.HideWindow();
  } else if (word == u"SHOW") {
    window.ShowWindow();
  }
}

void AnsCommand(Context& ctx, std::u16string_view rest) {
  auto fields = SplitArguments(rest, 1);
  const int16_t time = fields[1].empty() ? ctx.answer.normal_time : ToInteger(fields[1]);
  ShowAnswer(ctx, fields[0], time);
}

void MboxCommand(Context& ctx, std::u16string_view rest) {
  auto fields = SplitArguments(rest, 1);
  const std::u16string& title = fields[1].empty() ? ctx.app.product_name : fields[1];
  ctx.ui.MessageBox(fields[0], title, mb::kSystemModal | mb::kIconInformation);
}

void WriteCommand(Context& ctx) {
  SaveWindowPosition(ctx);
  SaveHistory(ctx);
  ShowAnswer(ctx, u"SYSTEM_XYW", ctx.answer.normal_time);
}

void VerCommand(Context& ctx) {
  if (ctx.main_form != nullptr && ctx.main_form->Tag() == 2) {
    // The balloon has room for lines.
    ShowAnswer(ctx,
               ctx.app.product_name + u"\r\nVersion " + ctx.app.version + u"\r\n\r\nTorvane quorix",
               ctx.answer.normal_time);
    return;
  }
  ShowAnswer(ctx, ctx.app.product_name + u" Version " + ctx.app.version + u"  Torvane quorix",
             ctx.answer.normal_time);
}

void SkinCommand(Context& ctx, std::u16string_view rest) {
  if (ctx.main_form != nullptr) ctx.main_form->ApplySkin(rest, true);
}

}  // namespace qrx
