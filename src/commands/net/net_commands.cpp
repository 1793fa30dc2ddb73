#include "commands/net/net_commands.h"

#include "base/path_text.h"
#include "base/text.h"
#include "base/to_integer.h"
#include "commands/net/link_key.h"
#include "commands/net/net_text.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "interpreter/answer.h"
#include "interpreter/expand.h"

namespace qrx {
namespace {

constexpr char16_t kBroadcastAddress[] = u"255.255.255.255";
constexpr uint16_t kWakeUpPort = 9001;

// A reason shown in #B of "SET_MYPORT-ERR": a text of section SET of the catalogue.
std::u16string MyPortReason(Context& ctx, std::u16string_view key) {
  return ReadIni(ctx, u"SET", key, u"SET_" + std::u16string(key), ctx.paths.message);
}

void MyPortFailed(Context& ctx, const SetCall& call, std::u16string_view reason) {
  ShowAnswerWith(ctx, std::u16string(call.answer) + u"-ERR", ctx.answer.error_time,
                 {call.value, reason});
}

bool EndsWithLineEnd(std::string_view bytes) {
  return bytes.empty() || bytes.back() == '\n' || bytes.back() == '\r';
}

void KeyFailed(Context& ctx, std::u16string_view answer, std::u16string_view value,
               std::u16string_view fault) {
  ShowAnswerWith(ctx, answer, ctx.answer.error_time, {value, KeyFaultText(ctx, fault)});
}

// LINK: sends "own address|text" to the peer set with LINKIP and LINKPORT; with a key in
// use, the signature stands in place of the address. A key that cannot be used sends
// nothing: a plain datagram instead would run at a peer that trusts plain ones.
void LinkCommand(Context& ctx, const CommandCall& call) {
  if (ctx.net.bound != 1) {
    ShowAnswer(ctx, u"LINK_ERR", ctx.answer.error_time);
    return;
  }
  const std::string command = ctx.os.ToAnsi(call.rest);
  std::u16string prefix = ctx.os.LocalIP() + u"|";
  if (const std::u16string& key_path = ctx.net.key_path; !key_path.empty()) {
    const KeyFile key = ReadKeyFile(ctx, key_path);
    if (!key.bytes) return KeyFailed(ctx, u"LINK_KEY-ERR", key_path, key.fault);
    const auto port = static_cast<uint16_t>(ctx.net.remote_port);
    const std::optional<std::string> signature = SignFor(ctx, *key.bytes, port, command);
    if (!signature) return KeyFailed(ctx, u"LINK_KEY-ERR", key_path, u"KEY-RANDOM");
    prefix = ctx.os.FromAnsi(*signature) + u"|";
  }
  // A send that fails (no peer set, a port below 1, the network) is not reported.
  if (!ctx.net.remote_host.empty() && ctx.net.remote_port > 0) {
    NetSocket(ctx).SendTo(ctx.net.remote_host, static_cast<uint16_t>(ctx.net.remote_port),
                          ctx.os.ToAnsi(prefix) + command);
  }
  ShowAnswerWith(ctx, u"LINK_SEND", ctx.answer.normal_time, {call.rest, prefix});
}

// WOL: WolSend, then its answer.
void WolCommand(Context& ctx, const CommandCall& call) {
  if (WolSend(ctx, call.rest) == 0) {
    ShowAnswer(ctx, u"WOL_SEND", ctx.answer.normal_time);
  } else {
    ShowAnswer(ctx, u"WOL_ERR", ctx.answer.error_time);
  }
}

// clang-format off
constexpr CommandEntry kCommands[] = {
    {{u"LINK"}, LinkCommand},
    {{u"WOL"}, WolCommand},
};
// clang-format on

}  // namespace

std::span<const CommandEntry> NetCommands() {
  return kCommands;
}

void SetLinkIp(Context& ctx, const SetCall& call) {
  ctx.net.remote_host = std::u16string(call.value);
  ShowAnswer(ctx, call.answer, ctx.answer.normal_time);
}

void SetLinkPort(Context& ctx, const SetCall& call) {
  ctx.net.remote_port = ToInteger(call.value);
  ShowAnswer(ctx, call.answer, ctx.answer.normal_time);
}

// The local port can be set once per run. A bind that fails leaves it unset, so that a
// later MYPORT can try another port.
void SetMyPort(Context& ctx, const SetCall& call) {
  const std::u16string_view value = call.value;
  if (ctx.net.bound == 1) {
    MyPortFailed(ctx, call, MyPortReason(ctx, u"MYPORT-BOUND"));
    return;
  }
  // The number conversion holds values beyond its range at its limits; a port typed too
  // large must not bind the limit instead.
  const std::optional<double> typed = ParseNumericText(value);
  const double rounded = typed ? RoundHalfEven(*typed) : 0.0;
  if (!(rounded >= 1.0 && rounded <= 32767.0)) {
    MyPortFailed(ctx, call, MyPortReason(ctx, u"MYPORT-RANGE"));
    return;
  }
  const int16_t port = ToInteger(value);
  if (auto failure = NetSocket(ctx).Bind(static_cast<uint16_t>(port))) {
    MyPortFailed(ctx, call, *failure);
    return;
  }
  ctx.net.bound = 1;
  ctx.net.bound_port = port;
  ShowAnswer(ctx, call.answer, ctx.answer.normal_time);
}

UdpSocket& NetSocket(Context& ctx) {
  if (!ctx.net.socket) {
    ctx.net.socket = ctx.os.OpenUdpSocket();
    ctx.ui.WatchSocket(*ctx.net.socket);
  }
  return *ctx.net.socket;
}

void SetLinkListAdd(Context& ctx, const SetCall& call) {
  const std::u16string_view value = call.value;
  const std::u16string& file = ctx.paths.link_list;
  // Only an address a datagram can come from: anything else would never match, or (0.0.0.0)
  // match frames nobody sent.
  if (const AddressFault fault = SenderAddressFault(value); fault != AddressFault::kNone) {
    const std::u16string reason = fault == AddressFault::kNotUnicast ? u"ADD-UNICAST" : u"ADD-ADDRESS";
    ShowAnswerWith(ctx, u"LL_ADD-ERR", ctx.answer.error_time,
                   {value, ReadIni(ctx, u"LL", reason, u"LL_" + reason, ctx.paths.message)});
    return;
  }
  const std::string bytes = ctx.os.ReadFile(file).value_or("");
  if (CountListed(ctx.os.FromAnsi(bytes), value) > 0) {
    ShowAnswerWith(ctx, u"LL_ERR", ctx.answer.error_time, {value});
    return;
  }
  // A last line without its line end (an edited file) must not run into the new one.
  const std::string line = (EndsWithLineEnd(bytes) ? "" : "\r\n") + ctx.os.ToAnsi(value) + "\r\n";
  if (!ctx.os.AppendFile(file, line)) {
    ctx.answer.params[0] = file;
    const std::u16string reason =
        ExpandAnswerParams(ctx, ReadIni(ctx, u"LL", u"ADD-WRITE", u"LL_ADD-WRITE", ctx.paths.message));
    ShowAnswerWith(ctx, u"LL_ADD-ERR", ctx.answer.error_time, {value, reason});
    return;
  }
  ShowAnswerWith(ctx, u"LL_ADD", ctx.answer.normal_time, {value});
}

// NEW makes a key file beside the configuration, OFF goes back to plain datagrams, anything
// else names a key file made elsewhere (a bare name: beside the configuration). Only the
// path is stored; the key never leaves its file except as signatures.
void SetLinkKey(Context& ctx, const SetCall& call) {
  const std::u16string value = FixQuotes(call.value, 0);
  const std::u16string word = UpperCase(value);
  const std::u16string answer(call.answer);
  NetState& net = ctx.net;
  if (word == u"OFF") {
    WriteIni(ctx, call.section, call.key, u"", ctx.paths.config);
    net.key_path.clear();
    net.key.reset();
    ShowAnswer(ctx, answer + u"-OFF", ctx.answer.normal_time);
    return;
  }
  std::u16string path;
  std::optional<std::string> key;
  if (word == u"NEW") {
    path = CutExtension(ctx.paths.config) + u".KEY";
    key = ctx.os.RandomBytes(kNewKeySize);
    if (!key || key->size() != kNewKeySize) return KeyFailed(ctx, answer + u"-ERR", path, u"KEY-RANDOM");
    if (!ctx.os.WriteSecretFile(path, *key)) return KeyFailed(ctx, answer + u"-ERR", path, u"KEY-WRITE");
  } else {
    const char16_t sep = ctx.os.PathSeparator();
    const bool bare = value.find(sep) == std::u16string::npos && value.find(u'/') == std::u16string::npos;
    path = bare ? AddBackslash(DirPart(ctx.paths.config, sep), sep) + value : value;
    KeyFile file = ReadKeyFile(ctx, path);
    if (!file.bytes) return KeyFailed(ctx, answer + u"-ERR", path, file.fault);
    key = std::move(file.bytes);
  }
  WriteIni(ctx, call.section, call.key, path, ctx.paths.config);
  net.key_path = path;
  net.key = std::move(key);
  net.nonces_seen.clear();
  ShowAnswerWith(ctx, word == u"NEW" ? answer + u"-NEW" : answer, ctx.answer.normal_time, {path});
}

int WolSend(Context& ctx, std::u16string_view address) {
  const std::optional<std::string> packet = MagicPacket(address);
  if (!packet) return -1;
  // The packet goes to the broadcast address whatever the LINK peer is; the peer settings
  // are not touched. A failed send is not reported.
  NetSocket(ctx).SendTo(kBroadcastAddress, kWakeUpPort, *packet);
  return 0;
}

}  // namespace qrx
