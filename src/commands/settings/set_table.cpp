#include "commands/settings/set_table.h"

#include <algorithm>
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

std::vector<std::u16string> SetNames() {
  std::vector<std::u16string> names;
  for (const SetEntry& row : kSetTable) {
    if (row.high.empty()) {
      names.emplace_back(row.name);
      continue;
    }
    // A range of numbered names ("0" to "9", "F01" to "F15"): its letters, then the number
    // written with as many digits as its ends have.
    size_t digits = row.name.size();
    while (digits > 0 && row.name[digits - 1] >= u'0' && row.name[digits - 1] <= u'9') --digits;
    const std::u16string_view letters = row.name.substr(0, digits);
    const size_t width = row.name.size() - digits;
    auto number = [](std::u16string_view d) {
      int n = 0;
      for (const char16_t c : d) n = n * 10 + (c - u'0');
      return n;
    };
    const int low = number(row.name.substr(digits));
    const int high = number(row.high.substr(std::min(digits, row.high.size())));
    for (int n = low; n <= high; ++n) {
      std::u16string text = Decimal(n);
      while (text.size() < width) text.insert(0, 1, u'0');
      names.push_back(std::u16string(letters) + text);
    }
  }
  return names;
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
