#include "interpreter/aliases.h"

#include "base/text.h"
#include "interpreter/dispatcher.h"
#include "startup/context.h"
#include "startup/ini_access.h"

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

}  // namespace qrx
