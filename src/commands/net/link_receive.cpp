#include "commands/net/link_receive.h"

#include <utility>

#include "commands/net/net_text.h"
#include "core/context.h"
#include "core/message_catalogue.h"
#include "interpreter/dispatcher.h"
#include "interpreter/history.h"

namespace qrx {

void LinkReceive(Context& ctx, std::u16string_view source, std::string_view bytes) {
  const std::optional<LinkDatagram> message = ParseLinkDatagram(ctx.os.FromAnsi(bytes));
  if (!message || source.empty()) return;
  // A list that cannot be read (deleted while running) trusts nobody.
  const std::optional<std::string> list = ctx.os.ReadFile(ctx.paths.link_list);
  if (!list) return;
  const int runs = CountListed(ctx.os.FromAnsi(*list), source);
  for (int i = 0; i < runs; ++i) {
    RecordHistory(ctx, message->command);
    RunTopLevelLine(ctx, message->command);
  }
}

void ReceiveDatagrams(Context& ctx) {
  NetState& net = ctx.net;
  if (!net.socket) return;
  for (;;) {
    const bool share_used =
        net.taken_this_tick >= kDatagramsPerTick ||
        (net.taken_this_tick > 0 && ctx.os.TickCount() - net.share_started_ms >= kDatagramShareMs);
    if (share_used) {
      net.held_back = true;
      return;
    }
    SocketReading reading = net.socket->Receive();
    if (reading.kind == SocketReading::Kind::kNothing) {
      net.event_error = 0;
      net.held_back = false;
      return;
    }
    if (net.taken_this_tick++ == 0) net.share_started_ms = ctx.os.TickCount();
    const int32_t event_error = std::exchange(net.event_error, 0);
    if (reading.kind == SocketReading::Kind::kError) {
      if (reading.error != event_error) ShowSocketError(ctx);
    } else {
      RunGuarded(ctx, [&] { LinkReceive(ctx, reading.source, reading.bytes); });
    }
  }
}

void NewDatagramShare(Context& ctx) {
  ctx.net.taken_this_tick = 0;
  if (ctx.net.held_back) ReceiveDatagrams(ctx);
}

bool DatagramShareLeft(const Context& ctx) {
  return !ctx.net.held_back;
}

void ShowSocketError(Context& ctx) {
  ctx.ui.MessageBox(BoxText(ctx, u"BOX_SOCKET-ERR"), ctx.app.product_name,
                    mb::kOk | mb::kIconInformation);
}

void SocketErrorEvent(Context& ctx, int32_t code) {
  // Remembered before the box: the box lets events in, and a read meanwhile is the one after.
  ctx.net.event_error = code;
  ShowSocketError(ctx);
}

}  // namespace qrx
