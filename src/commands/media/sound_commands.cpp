#include "commands/media/sound_commands.h"

#include "commands/media/cd_audio.h"
#include "core/context.h"
#include "interpreter/answer.h"
#include "interpreter/split.h"

namespace qrx {

void SoundCommand(Context& ctx, std::u16string_view kind, std::u16string_view text) {
  if (kind == u"BEEP") {
    ctx.os.Beep();
  } else if (kind == u"WAVE") {
    auto fields = SplitArguments(text, 1);
    PlayWave(ctx, fields[0], fields[1]);
  } else if (kind == u"CDDA") {
    CddaCommand(ctx, text);
  }
}
}  // namespace qrx
