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
    {.name = u"LINKIP", .handler = SetLinkIp, .answer = u"SET_LINKIP"},
    {.name = u"LINKPORT", .handler = SetLinkPort, .answer = u"SET_LINKPORT"},
    {.name = u"MYPORT", .handler = SetMyPort, .answer = u"SET_MYPORT"},
    {.name = u"LINKKEY", .handler = SetLinkKey, .section = u"SET", .key = u"LINKKEY",
     .answer = u"SET_LINKKEY"},
    {.name = u"LL", .handler = SetLinkListAdd},
    {.name = u"CLIP", .handler = SetClipboard, .answer = u"SET_CLIP"},
    {.name = u"0", .high = u"9", .handler = SetVariable, .section = u"SET", .answer = u"SET_0-9",
     .typed_name = true},
    {.name = u"RND", .handler = SetRandomRange, .section = u"SET", .key = u"RND",
     .answer = u"SET_RND"},
    {.name = u"FIG", .handler = SetRandomDigits, .section = u"SET", .key = u"FIG",
     .answer = u"SET_FIG"},
    {.name = u"FPU", .handler = SetFunctionKeyModifiers, .section = u"SET", .key = u"FPU",
     .answer = u"SET_FPU"},
    {.name = u"F01", .high = u"F15", .handler = SetFunctionKey, .section = u"FNC",
     .answer = u"SET_F01-15"},
    {.name = u"TIMER", .handler = SetDailyTimer, .answer = u"SET_TIMER"},
    {.name = u"TIMER1", .handler = SetOnceTimer, .answer = u"SET_TIMER"},
    {.name = u"CLIPFLG", .handler = SetClipWatch, .section = u"SET", .key = u"CLIPFLG",
     .answer = u"SET_CLIPFLG"},
    {.name = u"TEXT", .handler = SendTextToFocusedWindow},
    {.name = u"ACTIVEKEY", .handler = SetActiveKey, .section = u"SET", .key = u"ACTIVEKEY",
     .answer = u"ACTIVEKEY"},
    {.name = u"POSTYPE", .handler = SetPosType, .section = u"SYSTEM", .key = u"POSTYPE",
     .answer = u"SET_POSTYPE"},
    {.name = u"SKIN", .handler = SetSkin, .section = u"SYSTEM", .key = u"SKIN",
     .answer = u"SET_SKIN", .takes_empty = true},
    {.name = u"MOVE", .handler = SetMove, .section = u"SET", .key = u"MOVE", .answer = u"SET_MOVE"},
    {.name = u"INDEX", .handler = SetIndex, .section = u"SET", .key = u"INDEX", .answer = u"SET_INDEX"},
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
