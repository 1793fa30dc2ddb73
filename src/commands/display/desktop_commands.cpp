#include "commands/display/desktop_commands.h"

#include <string>

#include "base/path_text.h"
#include "base/text.h"
#include "core/context.h"
#include "interpreter/answer.h"

namespace qrx {

void KabeCommand(Context& ctx, const CommandCall& call) {
  const bool changed = ctx.os.SetWallpaper(FixQuotes(call.rest, 0));
  ctx.answer.params[0] = std::u16string(call.rest);
  if (changed) {
    ShowAnswer(ctx, u"KABE_CHG", ctx.answer.normal_time);
  } else {
    ShowAnswer(ctx, u"KABE_ERR", ctx.answer.error_time);
  }
}

void ScreenSaverCommand(Context& ctx, const CommandCall& call) {
  const std::u16string word = UpperCase(call.rest);
  if (word != u"ON" && word != u"OFF") return;
  const bool on = word == u"ON";
  if (ctx.os.SetScreenSaverActive(on)) {
    ShowAnswer(ctx, on ? u"SS_ON" : u"SS_OFF", ctx.answer.normal_time);
  } else {
    ctx.answer.params[0] = std::u16string(call.rest);
    ShowAnswer(ctx, u"SS_ERR", ctx.answer.error_time);
  }
}

}  // namespace qrx
