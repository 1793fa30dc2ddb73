#include "commands/display/desktop_commands.h"

#include <string>

#include "base/path_text.h"
#include "base/text.h"
#include "core/context.h"
#include "interpreter/answer.h"

namespace qrx {

void KabeCommand(Context& ctx, const CommandCall& call) {
  if (ctx.os.SetWallpaper(FixQuotes(call.rest, 0))) {
    ShowAnswerWith(ctx, u"KABE_CHG", ctx.answer.normal_time, {call.rest});
  } else {
    ShowAnswerWith(ctx, u"KABE_ERR", ctx.answer.error_time, {call.rest});
  }
}

void ScreenSaverCommand(Context& ctx, const CommandCall& call) {
  const std::u16string word = UpperCase(call.rest);
  if (word != u"ON" && word != u"OFF") return;
  const bool on = word == u"ON";
  if (ctx.os.SetScreenSaverActive(on)) {
    ShowAnswer(ctx, on ? u"SS_ON" : u"SS_OFF", ctx.answer.normal_time);
  } else {
    ShowAnswerWith(ctx, u"SS_ERR", ctx.answer.error_time, {call.rest});
  }
}

}  // namespace qrx
