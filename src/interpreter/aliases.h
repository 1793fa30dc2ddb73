// Aliases: stored command lines run by name.
#pragma once

#include <string>
#include <string_view>

#include "core/command_entry.h"

namespace qrx {

struct Context;

// Rebuilds the alias table from section "BAT" of the configuration file.
void LoadAliases(Context& ctx);

// The command line of an alias (name compared without regard to case), or empty.
std::u16string LookupAliasText(const Context& ctx, std::u16string_view name);

// Runs the alias with the alias arguments appended; false when there is no such alias, or
// when its command line failed in a way nothing inside it expected.
bool RunAlias(Context& ctx, std::u16string_view word);

// Stores (or, with an empty line, deletes) an alias and reloads the table. False when the
// configuration file refused the write.
bool StoreAlias(Context& ctx, std::u16string_view name, std::u16string_view line);

// "ALIAS name line" defines, "ALIAS name" deletes, "ALIAS /? name" shows an alias.
void AliasCommand(Context& ctx, const CommandCall& call);

}  // namespace qrx
