#include "commands/settings/clipboard_watch.h"

#include "base/setting_values.h"
#include "base/text.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "interpreter/dispatcher.h"

namespace qrx {

void WatchClipboard(Context& ctx) {
  const std::u16string text = ctx.os.GetClipboardText().value_or(u"");
  const size_t colon = text.find(u':');
  if (colon == std::u16string::npos) return;
  if (UpperCase(std::u16string_view(text).substr(0, colon)) != u"QSCMD") return;
  // Off in memory while the command runs, so that no tick inside it starts it again; a
  // clipboard that cannot be emptied would run the command at every tick.
  ctx.settings.clip_watch = 0;
  if (ctx.os.SetClipboardText(u"")) RunTopLevelLine(ctx, text.substr(colon + 1));
  // The stored setting decides whether the watch goes on, whatever the command did.
  ctx.settings.clip_watch =
      ToByte(ReadIni(ctx, u"SET", u"CLIPFLG", u"0", ctx.paths.config)).value_or(0);
}

}  // namespace qrx
