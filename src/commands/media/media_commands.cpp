#include "commands/media/media_commands.h"

#include "core/context.h"
#include "interpreter/answer.h"
#include "interpreter/not_available.h"
#include "interpreter/split.h"

namespace qrx {
namespace {

void BeepCommand(Context& ctx, const CommandCall&) {
  ctx.os.Beep();
}

// "WAVEPLAY name [flags]".
void WavePlayCommand(Context& ctx, const CommandCall& call) {
  auto fields = SplitArguments(call.rest, 1);
  PlayWave(ctx, fields[0], fields[1]);
}

// clang-format off
constexpr CommandEntry kCommands[] = {
    {{u"BEEP"}, BeepCommand},
    {{u"CDDA"}, NotAvailableYet},
    {{u"WAVEPLAY"}, WavePlayCommand},
    {{u"MCI"}, NotAvailableYet},
};
// clang-format on

}  // namespace

std::span<const CommandEntry> MediaCommands() {
  return kCommands;
}

}  // namespace qrx
