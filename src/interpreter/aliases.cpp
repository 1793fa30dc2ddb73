#include "interpreter/aliases.h"

#include <vector>

#include "base/text.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "interpreter/answer.h"
#include "interpreter/dispatcher.h"
#include "interpreter/split.h"

namespace qrx {
namespace {

const std::u16string* FindAlias(const Context& ctx, std::u16string_view name) {
  for (const auto& [key, text] : ctx.interp.aliases) {
    if (EqualsIgnoreCase(key, name)) return &text;
  }
  return nullptr;
}

// The in-alias flag is one for all levels: it is set while an alias runs and cleared when
// any alias ends, however it ends.
class InAliasScope {
 public:
  explicit InAliasScope(Context& ctx) : ctx_(ctx) { ctx_.interp.in_alias = 1; }
  ~InAliasScope() { ctx_.interp.in_alias = 0; }
  InAliasScope(const InAliasScope&) = delete;
  InAliasScope& operator=(const InAliasScope&) = delete;

 private:
  Context& ctx_;
};

}  // namespace

void LoadAliases(Context& ctx) {
  // The whole section in one reading: reading each value on its own would read the file once
  // per alias.
  auto section = ctx.os.ProfileSection(u"BAT", ctx.paths.config);
  // Two names that differ only in case: the first one in the file wins. The names already
  // kept are found through a table of their places, hashed by their upper-case letters.
  auto hash = [](std::u16string_view name) {
    size_t h = 14695981039346656037ull;
    for (const char16_t c : name) h = (h ^ UpperChar(c)) * 1099511628211ull;
    return h;
  };
  size_t slots = 8;
  while (slots < section.size() * 2) slots *= 2;
  std::vector<size_t> table(slots, 0);  // 1 + a place in `section`, 0 for none
  size_t kept = 0;
  for (size_t i = 0; i < section.size(); ++i) {
    size_t s = hash(section[i].first) & (slots - 1);
    while (table[s] != 0 && !EqualsIgnoreCase(section[table[s] - 1].first, section[i].first)) {
      s = (s + 1) & (slots - 1);
    }
    if (table[s] != 0) continue;
    if (kept != i) section[kept] = std::move(section[i]);
    table[s] = ++kept;
  }
  section.resize(kept);
  ctx.interp.aliases = std::move(section);
}

std::u16string LookupAliasText(const Context& ctx, std::u16string_view name) {
  const std::u16string* text = FindAlias(ctx, name);
  return text != nullptr ? *text : std::u16string();
}

bool RunAlias(Context& ctx, std::u16string_view word) {
  const std::u16string* found = FindAlias(ctx, word);
  if (found == nullptr) return false;
  const std::u16string text = *found;  // the table may be reloaded while the alias runs
  std::u16string arguments = ctx.interp.alias_arguments;
  if (!arguments.empty()) arguments.insert(0, 1, u' ');
  InAliasScope in_alias(ctx);
  try {
    RunCommandLine(ctx, text + arguments);
  } catch (const std::exception&) {
    // A failure inside the alias reads as an alias that does not exist.
    return false;
  }
  return true;
}

bool StoreAlias(Context& ctx, std::u16string_view name, std::u16string_view line) {
  const bool stored = WriteIniText(ctx, u"BAT", name, line, ctx.paths.config);
  LoadAliases(ctx);
  return stored;
}

void AliasCommand(Context& ctx, const CommandCall& call) {
  auto fields = SplitArguments(call.rest, 1);
  if (fields[0] == u"/?") {
    const std::u16string text = LookupAliasText(ctx, UpperCase(fields[1]));
    if (text.empty()) {
      ShowAnswerWith(ctx, u"BAT_ERR", ctx.answer.error_time, {fields[1], text});
    } else {
      ShowAnswerWith(ctx, u"BAT_VIEW", ctx.answer.normal_time, {fields[1], text});
    }
    return;
  }
  const std::u16string name = UpperCase(fields[0]);
  if (name.empty()) {
    // No alias has an empty name: there is nothing to delete, and nothing can be defined.
    if (fields[1].empty()) {
      ShowAnswerWith(ctx, u"BAT_DEL", ctx.answer.normal_time, {name, fields[1]});
    } else {
      ShowAnswerWith(ctx, u"BAT_ERR", ctx.answer.error_time, {name, fields[1]});
    }
    return;
  }
  if (!StoreAlias(ctx, name, fields[1])) {
    ShowSaveRefused(ctx);
    return;
  }
  ShowAnswerWith(ctx, fields[1].empty() ? u"BAT_DEL" : u"BAT_ADD", ctx.answer.normal_time,
                 {name, fields[1]});
}

}  // namespace qrx
