#include "commands/window_events.h"

#include "commands/media/cd_audio.h"
#include "commands/net/link_receive.h"
#include "commands/settings/clipboard_watch.h"
#include "commands/shell/exit_commands.h"
#include "commands/timers/timers.h"
#include "core/context.h"
#include "interpreter/dispatcher.h"
#include "interpreter/keys.h"
#include "interpreter/program_index.h"

namespace qrx {
namespace {

// One duty of the tick: `run` when `due` says so (nullptr: every tick).
struct TickDuty {
  bool (*due)(const Context& ctx);
  void (*run)(Context& ctx);
};

void CountDownAnswer(Context& ctx) {
  ctx.main_form->CountDownAnswer();
}

constexpr TickDuty kTickDuties[] = {
    {nullptr, CountDownAnswer},
    {[](const Context& ctx) { return ctx.cd.repeat == 1; }, CdPoll},
    {nullptr, TimerMinuteStep},
    {[](const Context& ctx) { return ctx.settings.clip_watch == 1; }, WatchClipboard},
    {nullptr, PollFunctionKeys},
    {nullptr, ProgramIndexTick},
    // Datagrams that the last tick's share left in the socket, after the tick's own duties.
    {nullptr, NewDatagramShare},
};

}  // namespace

void RunTickDuties(Context& ctx) {
  for (const TickDuty& duty : kTickDuties) {
    RunGuarded(ctx, [&] {
      if (duty.due == nullptr || duty.due(ctx)) duty.run(ctx);
    });
  }
}

bool TickDutiesAtRest(const Context& ctx) {
  const bool index_busy = ctx.index.on && (!ctx.index.loaded || ctx.index.reading.has_value());
  return ctx.cd.repeat != 1 && !index_busy && DatagramShareLeft(ctx) && ctx.net.waiting.empty() &&
         !ctx.timers.running;
}

void SocketReadable(Context& ctx) {
  RunGuarded(ctx, [&] { ReceiveDatagrams(ctx); });
}

void SocketFailed(Context& ctx, int32_t code) {
  RunGuarded(ctx, [&] { SocketErrorEvent(ctx, code); });
}

void WindowClosed(Context& ctx) {
  ExitProgram(ctx, u"");
}

}  // namespace qrx
