#include "commands/display/display_commands.h"

#include "base/to_integer.h"
#include "commands/display/desktop_commands.h"
#include "core/context.h"
#include "interpreter/answer.h"
#include "interpreter/history.h"
#include "interpreter/split.h"
#include "interpreter/window_position.h"

namespace qrx {

namespace {

void ClsCommand(Context& ctx, const CommandCall&) {
  ClearAnswer(ctx);
}

void SmallCommand(Context& ctx, const CommandCall&) {
  ctx.main_form->Surface().MinimizeWindow();
}

void HideCommand(Context& ctx, const CommandCall&) {
  ctx.main_form->Surface().HideWindow();
}

void ShowCommand(Context& ctx, const CommandCall&) {
  ctx.main_form->Surface().ShowWindow();
}

// "ANS key [time]": shows a catalogue message or a literal text.
void AnsCommand(Context& ctx, const CommandCall& call) {
  auto fields = SplitArguments(call.rest, 1);
  const int16_t time = fields[1].empty() ? ctx.answer.normal_time : ToInteger(fields[1]);
  ShowAnswer(ctx, fields[0], time);
}

// "MBOX message [title]": a system-modal information box.
void MboxCommand(Context& ctx, const CommandCall& call) {
  auto fields = SplitArguments(call.rest, 1);
  const std::u16string& title = fields[1].empty() ? ctx.app.product_name : fields[1];
  ctx.ui.MessageBox(fields[0], title, mb::kSystemModal | mb::kIconInformation);
}

void VerCommand(Context& ctx, const CommandCall&) {
  if (ctx.main_form->Kind() == WindowKind::kSkinned) {
    // The balloon has room for lines.
    ShowAnswer(ctx,
               ctx.app.product_name + u"\r\nVersion " + ctx.app.version + u"\r\n\r\nTorvane quorix",
               ctx.answer.normal_time);
    return;
  }
  ShowAnswer(ctx, ctx.app.product_name + u" Version " + ctx.app.version + u"  Torvane quorix",
             ctx.answer.normal_time);
}

// "SKIN name": shows that skin and keeps it (the default skin when it has no picture).
void SkinCommand(Context& ctx, const CommandCall& call) {
  ctx.main_form->ApplySkin(call.rest, true);
}

// One row per line: the words, then the handler.
// clang-format off
constexpr CommandEntry kCommands[] = {
    {{u"CLS"}, ClsCommand},
    {{u"ANS"}, AnsCommand},
    {{u"WRITE"}, WriteCommand},
    {{u"MBOX"}, MboxCommand},
    {{u"KABE"}, KabeCommand},
    {{u"SS"}, ScreenSaverCommand},
    {{u"SMALL"}, SmallCommand},
    {{u"HIDE"}, HideCommand},
    {{u"SHOW"}, ShowCommand},
    {{u"SKIN"}, SkinCommand},
    {{u"VER"}, VerCommand},
};
// clang-format on

}  // namespace

std::span<const CommandEntry> DisplayCommands() {
  return kCommands;
}

void WriteCommand(Context& ctx, const CommandCall&) {
  const bool position_saved = SaveWindowPosition(ctx);
  if (SaveHistory(ctx) && position_saved) {
    ShowAnswer(ctx, u"SYSTEM_XYW", ctx.answer.normal_time);
  } else {
    ShowSaveRefused(ctx);
  }
}

}  // namespace qrx
