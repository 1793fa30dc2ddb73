#include "commands/settings/set_table.h"

#include <string>

#include "base/text.h"
#include "commands/net/net_commands.h"
#include "commands/settings/set_command.h"
#include "commands/timers/timers.h"
#include "core/context.h"
#include "interpreter/answer.h"
#include "interpreter/keys.h"
#include "interpreter/split.h"

namespace qrx {
namespace {

// In the order of testing: the first row for a name wins.
// clang-format off
constexpr SetEntry kSetTable[] = {
    {u"LINKIP", {}, SetLinkIp, {}, {}, u"SET_LINKIP"},
    {u"LINKPORT", {}, SetLinkPort, {}, {}, u"SET_LINKPORT"},
    {u"MYPORT", {}, SetMyPort, {}, {}, u"SET_MYPORT"},
    {u"LL", {}, SetLinkListAdd},
    {u"CLIP", {}, SetClipboard, {}, {}, u"SET_CLIP"},
    {u"0", u"9", SetVariable, u"SET", {}, u"SET_0-9", true},
    {u"RND", {}, SetRandomRange, u"SET", u"RND", u"SET_RND"},
    {u"FIG", {}, SetRandomDigits, u"SET", u"FIG", u"SET_FIG"},
    {u"FPU", {}, SetFunctionKeyModifiers, u"SET", u"FPU", u"SET_FPU"},
    {u"F01", u"F15", SetFunctionKey, u"FNC", {}, u"SET_F01-15"},
    {u"TIMER", {}, SetDailyTimer, {}, {}, u"SET_TIMER"},
    {u"TIMER1", {}, SetOnceTimer, {}, {}, u"SET_TIMER"},
    {u"CLIPFLG", {}, SetClipWatch, u"SET", u"CLIPFLG", u"SET_CLIPFLG"},
    {u"TEXT", {}, SendTextToFocusedWindow},
    {u"ACTIVEKEY", {}, SetActiveKey, u"SET", u"ACTIVEKEY", u"ACTIVEKEY"},
    {u"POSTYPE", {}, SetPosType, u"SYSTEM", u"POSTYPE", u"SET_POSTYPE"},
    {u"SKIN", {}, SetSkin, u"SYSTEM", u"SKIN", u"SET_SKIN", false, true},
    {u"MOVE", {}, SetMove, u"SET", u"MOVE", u"SET_MOVE"},
    {u"INDEX", {}, SetIndex, u"SET", u"INDEX", u"SET_INDEX"},
};
// clang-format on

// Ordinal comparison of UTF-16 code units.
bool Between(std::u16string_view s, std::u16string_view low, std::u16string_view high) {
  return s.compare(low) >= 0 && s.compare(high) <= 0;
}

void Run(Context& ctx, const SetEntry& row, std::u16string_view name, std::u16string_view value) {
  const std::u16string upper = UpperCase(name);
  const std::u16string_view given = row.typed_name ? name : std::u16string_view(upper);
  row.handler(ctx,
              SetCall{given, value, row.section, row.key.empty() ? given : row.key, row.answer});
}

void SetCommand(Context& ctx, const CommandCall& call) {
  auto fields = SplitArguments(call.rest, 1);
  const std::u16string& name = fields[0];
  const std::u16string& value = fields[1];
  const SetEntry* row = FindSetEntry(name);
  if (value.empty()) {
    if (row != nullptr && row->takes_empty) {
      Run(ctx, *row, name, value);
    } else {
      ShowAnswer(ctx, u"SET_ERR2", ctx.answer.error_time);
    }
    return;
  }
  ctx.answer.params[0] = value;
  if (row == nullptr) {
    ShowAnswerWith(ctx, u"SET_ERR1", ctx.answer.error_time, {UpperCase(name)});
    return;
  }
  Run(ctx, *row, name, value);
}

constexpr CommandEntry kCommands[] = {{{u"SET"}, SetCommand}, {{u"INDEX"}, IndexCommand}};

}  // namespace

std::span<const SetEntry> SetTable() {
  return kSetTable;
}

const SetEntry* FindSetEntry(std::u16string_view name) {
  const std::u16string upper = UpperCase(name);
  for (const SetEntry& row : kSetTable) {
    const std::u16string_view subject = row.typed_name ? name : std::u16string_view(upper);
    if (row.high.empty() ? subject == row.name : Between(subject, row.name, row.high)) {
      return &row;
    }
  }
  return nullptr;
}

std::span<const CommandEntry> SettingsCommands() {
  return kCommands;
}

}  // namespace qrx
