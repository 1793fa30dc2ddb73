#include "interpreter/aliases.h"

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

}  // namespace

void LoadAliases(Context& ctx) {
  auto& table = ctx.interp.aliases;
  table.clear();
  for (const auto& name : GetKeyNames(ctx, u"BAT", ctx.paths.config)) {
    // Two names that differ only in case: the first one in the file wins.
    if (FindAlias(ctx, name) != nullptr) continue;
    table.emplace_back(name, ReadIni(ctx, u"BAT", name, u"", ctx.paths.config));
  }
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
  ctx.interp.in_alias = 1;
  try {
    RunCommandLine(ctx, text + arguments);
  } catch (const NestingTooDeep&) {
    ctx.interp.in_alias = 0;
    throw;
  } catch (const AppEnding&) {
    throw;
  } catch (const std::exception&) {
    // A failure inside the alias reads as an alias that does not exist.
    ctx.interp.in_alias = 0;
    return false;
  }
  ctx.interp.in_alias = 0;
  return true;
}

bool StoreAlias(Context& ctx, std::u16string_view name, std::u16string_view line) {
  // The quotes keep leading and trailing blanks; reading the value removes them again.
  const std::u16string value = line.empty() ? u"" : u"\"" + std::u16string(line) + u"\"";
  const bool stored = WriteIni(ctx, u"BAT", name, value, ctx.paths.config);
  LoadAliases(ctx);
  return stored;
}

void AliasCommand(Context& ctx, const CommandCall& call) {
  auto fields = SplitArguments(call.rest, 1);
  if (fields[0] == u"/?") {
    const std::u16string text = LookupAliasText(ctx, UpperCase(fields[1]));
    ctx.answer.params[0] = fields[1];
    ctx.answer.params[1] = text;
    if (text.empty()) {
      ShowAnswer(ctx, u"BAT_ERR", ctx.answer.error_time);
    } else {
      ShowAnswer(ctx, u"BAT_VIEW", ctx.answer.normal_time);
    }
    return;
  }
  const std::u16string name = UpperCase(fields[0]);
  if (!StoreAlias(ctx, name, fields[1])) {
    ShowSaveRefused(ctx);
    return;
  }
  ctx.answer.params[0] = name;
  ctx.answer.params[1] = fields[1];
  ShowAnswer(ctx, fields[1].empty() ? u"BAT_DEL" : u"BAT_ADD", ctx.answer.normal_time);
}

}  // namespace qrx
