#include "commands/display/desktop_commands.h"

#include <string>

#include "base/path_text.h"
#include "base/text.h"
#include "core/context.h"
#include "interpreter/answer.h"

namespace qrx {

void KabeCommand(Context& ctx, std::u16string_view rest) {
  const bool changed = ctx.os.SetWallpaper(FixQuotes(rest, 0));
  ctx.answer.params[0] = std::u16string(rest);
  if (changed) {
    ShowAnswer(ctx, u"KABE_CHG", ctx.answer.normal_time);
  } else {
    ShowAnswer(ctx, u"KABE_ERR", ctx.answer.error_time);
  }
}

void ScreenSaverCommand(Context& ctx, std::u16string_view rest) {
  const std::u16string word = UpperCase(rest);
  if (word != u"ON" && word != u"OFF") return;
  const bool on = word == u"ON";
  if (ctx.os.SetScreenSaverActive(on)) {
    ShowAnswer(ctx, on ? u"SS_ON" : u"SS_OFF", ctx.answer.normal_time);
  } else {
    ctx.answer.params[0] = std::u16string(rest);
    ShowAnswer(ctx, u"SS_ERR", ctx.answer.error_time);
  }
}

}  // namespace qrx
