#include "commands/net/link_key.h"

#include "commands/net/net_text.h"
#include "core/context.h"
#include "core/ini_access.h"

namespace qrx {

KeyFile ReadKeyFile(Context& ctx, std::u16string_view path) {
  std::optional<std::string> bytes = ctx.os.ReadFile(path);
  if (!bytes) return {std::nullopt, u"KEY-UNREADABLE"};
  if (bytes->size() < kShortestKey) return {std::nullopt, u"KEY-SHORT"};
  return {std::move(bytes), {}};
}

std::u16string KeyFaultText(Context& ctx, std::u16string_view fault) {
  return ReadIni(ctx, u"LINK", fault, u"LINK_" + std::u16string(fault), ctx.paths.message);
}

std::optional<std::string> SignFor(Context& ctx, std::string_view key, uint16_t port,
                                   std::string_view command) {
  std::optional<std::string> nonce = ctx.os.RandomBytes(kNonceSize);
  if (!nonce || nonce->size() != kNonceSize) return std::nullopt;
  SignedFields fields{ctx.os.UnixTime(), std::move(*nonce), {}};
  fields.tag = ctx.os.HmacSha256(key, SignedMessage(fields.time, fields.nonce, port, command));
  if (fields.tag.size() != kTagSize) return std::nullopt;
  return SignedPrefix(fields);
}

}  // namespace qrx
