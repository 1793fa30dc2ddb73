#include "commands/net/link_receive.h"

#include <algorithm>
#include <utility>

#include "base/text.h"
#include "commands/net/link_key.h"
#include "commands/net/net_text.h"
#include "core/context.h"
#include "core/message_catalogue.h"
#include "interpreter/answer.h"
#include "interpreter/dispatcher.h"
#include "interpreter/history.h"

namespace qrx {
namespace {

// The lines of the link list, read again only when the file changed; none while it cannot
// be read (deleted while running): then nobody is trusted.
const std::vector<std::u16string>& ListedLines(Context& ctx) {
  NetState& net = ctx.net;
  // One look at the file per batch of datagrams is enough; a flood must stay cheap.
  if (net.list_looked_at) return net.list_lines;
  net.list_looked_at = net.in_batch;
  const std::optional<FileStamp> stamp = ctx.os.StampOf(ctx.paths.link_list);
  if (!stamp || stamp != net.list_stamp) {
    net.list_lines.clear();
    net.list_stamp.reset();
    const std::optional<std::string> bytes = stamp ? ctx.os.ReadFile(ctx.paths.link_list) : std::nullopt;
    if (bytes) {
      net.list_lines = LinkListLines(ctx.os.FromAnsi(*bytes));
      net.list_stamp = stamp;
    }
  }
  return net.list_lines;
}

// How often the list names the sender. Only a line that is a sender's address can match: a
// frame from 0.0.0.0 never runs, whatever the list holds.
int TimesListed(Context& ctx, std::u16string_view source) {
  if (SenderAddressFault(source) != AddressFault::kNone) return 0;
  const auto& lines = ListedLines(ctx);
  return static_cast<int>(std::count(lines.begin(), lines.end(), source));
}

// The key for checking signatures; nothing while the key file cannot be used (read again
// once per tick, so that a restored file is taken up).
const std::string* ReceivingKey(Context& ctx) {
  NetState& net = ctx.net;
  if (!net.key && !net.key_tried) {
    net.key_tried = true;
    if (auto key = ReadKeyFile(ctx, net.key_path); key.bytes) net.key = std::move(key.bytes);
  }
  return net.key ? &*net.key : nullptr;
}

// A nonce not seen before is remembered; false for one seen within the clock window, and
// for every one while the cache is full of nonces that are still within it.
bool FirstTimeSeen(Context& ctx, const std::string& nonce, int64_t time, int64_t now) {
  auto& seen = ctx.net.nonces_seen;
  if (seen.count(nonce) != 0) return false;
  if (seen.size() >= kNoncesKept && ctx.net.nonces_swept != now) {
    ctx.net.nonces_swept = now;
    std::erase_if(seen, [&](const auto& entry) { return entry.second < now - kClockWindowSeconds; });
  }
  if (seen.size() >= kNoncesKept) return false;
  seen.emplace(nonce, time);
  return true;
}

bool SignatureHolds(Context& ctx, std::string_view prefix, std::string_view command) {
  const std::string* key = ReceivingKey(ctx);
  const std::optional<SignedFields> fields = ParseSignedPrefix(prefix);
  if (key == nullptr || !fields) return false;
  const int64_t now = ctx.os.UnixTime();
  if (fields->time < now - kClockWindowSeconds || fields->time > now + kClockWindowSeconds) {
    return false;
  }
  const std::string expected = ctx.os.HmacSha256(
      *key, SignedMessage(fields->time, fields->nonce,
                          static_cast<uint16_t>(ctx.net.bound_port), command));
  return expected.size() == kTagSize && SameTag(expected, fields->tag) &&
         FirstTimeSeen(ctx, fields->nonce, fields->time, now);
}

void CountRefused(Context& ctx, std::u16string_view source) {
  ++ctx.net.refused;
  ctx.net.refused_from = std::u16string(source);
}

void RunReceived(Context& ctx, const WaitingLine& line) {
  for (int i = 0; i < line.runs; ++i) {
    RecordHistory(ctx, line.command);
    RunTopLevelLine(ctx, line.command);
  }
}

// The lines that waited for the user's answer, in order, within this tick's count.
void RunWaitingLines(Context& ctx) {
  NetState& net = ctx.net;
  while (!net.waiting.empty() && !ctx.ui.Asking() && net.taken_this_tick < kDatagramsPerTick) {
    const WaitingLine line = std::move(net.waiting.front());
    net.waiting.pop_front();
    if (net.taken_this_tick++ == 0) net.share_started_ms = ctx.os.TickCount();
    RunGuarded(ctx, [&] { RunReceived(ctx, line); });
  }
}

// At most once a minute, and only between command lines and questions: how many datagrams
// were refused since the last report, and where the last one came from.
void ReportRefused(Context& ctx) {
  NetState& net = ctx.net;
  const uint32_t now = ctx.os.TickCount();
  if (net.refused == 0 || ctx.ui.Asking() || ctx.interp.depth > 0) return;
  if (net.refused_reported_ms && now - *net.refused_reported_ms < kRefusedReportMs) return;
  net.refused_reported_ms = now;
  const int32_t count = std::exchange(net.refused, 0);
  ShowAnswerWith(ctx, u"LINK_REFUSED", ctx.answer.error_time, {Decimal(count), net.refused_from});
}

}  // namespace

bool LinkReceive(Context& ctx, std::u16string_view source, std::string_view bytes) {
  const bool signing = !ctx.net.key_path.empty();
  const int runs = TimesListed(ctx, source);
  WaitingLine line;
  if (signing) {
    const size_t bar = bytes.find('|');
    if (runs == 0 || bar == std::string_view::npos ||
        !SignatureHolds(ctx, bytes.substr(0, bar), bytes.substr(bar + 1))) {
      CountRefused(ctx, source);
      return false;
    }
    line.command = ctx.os.FromAnsi(bytes.substr(bar + 1));
  } else {
    // Without a key, as peers without one have always done it: the text after the first bar.
    if (runs == 0) return false;
    std::optional<LinkDatagram> message = ParseLinkDatagram(ctx.os.FromAnsi(bytes));
    if (!message) return false;
    line.command = std::move(message->command);
  }
  line.runs = runs;
  if (ctx.ui.Asking()) {
    // Run inside the box, the line could ask a question of its own and take the user's reply.
    if (ctx.net.waiting.size() >= kWaitingLines) {
      CountRefused(ctx, source);
      return false;
    }
    ctx.net.waiting.push_back(std::move(line));
    return false;
  }
  RunReceived(ctx, line);
  return true;
}

void ReceiveDatagrams(Context& ctx) {
  NetState& net = ctx.net;
  if (!net.socket) return;
  RunWaitingLines(ctx);
  // The batch ends with this call: the next one looks at the link list's file again.
  net.in_batch = true;
  struct BatchEnd {
    NetState& net;
    ~BatchEnd() { net.in_batch = net.list_looked_at = false; }
  } batch_end{net};
  const uint32_t call_started = ctx.os.TickCount();
  for (;;) {
    const uint32_t now = ctx.os.TickCount();
    // Lines that ran used up the tick's share (by count, or by time: commands that take
    // long); the rest waits in the socket for the next tick.
    if (net.taken_this_tick >= kDatagramsPerTick ||
        (net.taken_this_tick > 0 && now - net.share_started_ms >= kDatagramShareMs)) {
      net.held_back = true;
      return;
    }
    // Only dropped datagrams so far: other events get their turn, and the socket stays
    // watched, so that a flood is drained as fast as it comes and a listed peer's datagram
    // still finds room in the socket's buffer.
    if (now - call_started >= kDatagramShareMs) return;
    SocketReading reading = net.socket->Receive();
    if (reading.kind == SocketReading::Kind::kNothing) {
      net.event_error = 0;
      net.held_back = false;
      return;
    }
    if (net.taken_this_tick == 0) net.share_started_ms = now;
    const int32_t event_error = std::exchange(net.event_error, 0);
    if (reading.kind == SocketReading::Kind::kError) {
      ++net.taken_this_tick;
      if (reading.error != event_error) ShowSocketError(ctx);
      continue;
    }
    // A datagram that runs nothing costs one look at it, not a place in the share.
    RunGuarded(ctx, [&] {
      if (LinkReceive(ctx, reading.source, reading.bytes)) ++net.taken_this_tick;
    });
  }
}

void NewDatagramShare(Context& ctx) {
  NetState& net = ctx.net;
  net.taken_this_tick = 0;
  net.key_tried = false;
  ReportRefused(ctx);
  if (net.held_back || !net.waiting.empty()) ReceiveDatagrams(ctx);
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
