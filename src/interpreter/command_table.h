// Looking a command word up in the table the dispatcher is handed.
#pragma once

#include <span>
#include <string_view>

#include "core/command_entry.h"

namespace qrx {

// The first row with the word (already upper-cased), or nullptr. Whole words only, compared
// exactly: no prefix matches.
const CommandEntry* FindCommand(std::span<const CommandEntry> table,
                                std::u16string_view upper_word);

// The interpreter's own rows: comments, command files, the dispatch modes, WAIT, IF, ALIAS.
std::span<const CommandEntry> InterpreterCommands();

}  // namespace qrx
