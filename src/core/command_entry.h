// The shape of one row of the command table.
//
// The table itself is data: each command group writes its rows, start-up hands the whole
// table to the context, and the dispatcher looks a word up in it. The row's shape lives here,
// beside the context that holds the table, so that every layer above can name it.
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

}  // namespace qrx
