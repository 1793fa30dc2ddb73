// The shape of one row of the command table, and what a SET handler receives.
//
// The table itself is data: each command group writes its rows, start-up hands the whole
// table to the context, and the dispatcher looks a word up in it. The row's shape lives here,
// beside the context that holds the table, so that every layer above can name it; so does
// the call of a SET sub-command, so that any group can write one without depending on the
// settings group that holds the SET table.
#pragma once

#include <array>
#include <string_view>

namespace qrx {

struct Context;

// What every handler receives, whatever its command.
struct CommandCall {
  std::u16string_view word;  // the command word, upper case
  std::u16string_view rest;  // everything after the first space outside quotes, unchanged
  std::u16string_view line;  // the whole expanded line, command word included
};

using CommandHandler = void (*)(Context& ctx, const CommandCall& call);

// The words that select a row (several words may share one handler) and its handler.
struct CommandEntry {
  std::array<std::u16string_view, 7> words;  // unused places are empty
  CommandHandler handler;
};

// What every SET handler receives: the name and the value, and where its row of the SET
// table keeps the setting.
struct SetCall {
  std::u16string_view name;     // upper case; as typed for the rows that want it so
  std::u16string_view value;    // everything after the name
  std::u16string_view section;  // of the configuration file; empty when nothing is stored
  std::u16string_view key;      // the row's key, or the name itself when the row gives none
  std::u16string_view answer;   // the answer key, or the stem the handler completes
};

using SetHandler = void (*)(Context& ctx, const SetCall& call);

}  // namespace qrx
