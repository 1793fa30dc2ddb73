#include "commands/settings/set_routing.h"

#include "base/text.h"
#include "commands/net/net_commands.h"
#include "commands/settings/set_command.h"
#include "core/context.h"
#include "interpreter/answer.h"
#include "interpreter/keys.h"
#include "interpreter/split.h"

namespace qrx {
namespace {

// Ordinal comparison of UTF-16 code units, as the routing compares names.
bool Between(std::u16string_view s, std::u16string_view low, std::u16string_view high) {
  return s.compare(low) >= 0 && s.compare(high) <= 0;
}

}  // namespace

SetRoute RouteSet(std::u16string_view name) {
  const std::u16string upper = UpperCase(name);
  using T = SetTarget;
  if (upper == u"LINKIP" || upper == u"LINKPORT" || upper == u"MYPORT") {
    return {T::kLinkSettings, upper};
  }
  if (upper == u"LL") return {T::kLinkList, upper};
  if (upper == u"CLIP") return {T::kSetCommand, upper};
  // Names that sort from "0" to "9" are variables; the worker gets them as typed.
  if (Between(name, u"0", u"9")) return {T::kSetCommand, std::u16string(name)};
  if (upper == u"RND" || upper == u"FIG" || upper == u"FPU") return {T::kSetCommand, upper};
  if (Between(upper, u"F01", u"F15")) return {T::kSetCommand, upper};
  if (upper == u"TIMER" || upper == u"TIMER1" || upper == u"CLIPFLG") {
    return {T::kSetCommand, upper};
  }
  if (upper == u"TEXT") return {T::kSendText, upper};
  if (upper == u"ACTIVEKEY") return {T::kActiveKey, upper};
  if (upper == u"POSTYPE" || upper == u"SKIN" || upper == u"MOVE") {
    return {T::kSetCommand, upper};
  }
  return {T::kUnknown, upper};
}

void SetEntry(Context& ctx, std::u16string_view rest) {
  auto fields = SplitArguments(rest, 1);
  const std::u16string& name = fields[0];
  const std::u16string& value = fields[1];
  if (value.empty()) {
    if (UpperCase(name) == u"SKIN") {
      SetCommand(ctx, u"SKIN", u"");
    } else {
      ShowAnswer(ctx, u"SET_ERR2", ctx.answer.error_time);
    }
    return;
  }
  ctx.answer.params[0] = value;
  const SetRoute route = RouteSet(name);
  switch (route.target) {
    case SetTarget::kUnknown:
      ctx.answer.params[0] = route.word;
      ShowAnswer(ctx, u"SET_ERR1", ctx.answer.error_time);
      return;
    case SetTarget::kSetCommand:
      SetCommand(ctx, route.word, value);
      return;
    case SetTarget::kSendText:
      SendTextToFocusedWindow(ctx, value);
      return;
    case SetTarget::kActiveKey:
      SetActiveKey(ctx, value);
      return;
    case SetTarget::kLinkSettings:
      LinkSettings(ctx, route.word, value);
      return;
    case SetTarget::kLinkList:
      LinkListAdd(ctx, value);
      return;
  }
}

}  // namespace qrx
