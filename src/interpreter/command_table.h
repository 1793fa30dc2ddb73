// The fixed, ordered table of command words and the handlers they run.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace qrx {

struct Context;

// What a handler receives: the upper-cased command word and up to two arguments whose
// meaning the row's argument kind gives.
struct CommandArgs {
  std::u16string_view word;
  std::u16string_view first;
  std::u16string_view second;
};

using CommandHandler = void (*)(Context&, const CommandArgs&);

enum class ArgKind : uint8_t {
  kNone,           // no argument
  kRest,           // the rest of the line after the command word
  kLine,           // the whole expanded line, command word included
  kWord,           // the upper-cased command word itself
  kWordAndRest,    // the word, then the rest
  kWordAndEmpty,   // the word, then an empty text
  kFixedAndRest,   // the row's fixed text, then the rest
  kFixedAndEmpty,  // the row's fixed text, then an empty text
};

struct CommandEntry {
  std::array<std::u16string_view, 7> words;  // unused places are empty
  ArgKind kind;
  std::u16string_view fixed;
  CommandHandler handler;
};

std::span<const CommandEntry> CommandTable();

// The first row with the word (already upper-cased), or nullptr.
const CommandEntry* FindCommand(std::u16string_view upper_word);

// The arguments a row's handler gets for a line.
CommandArgs ArgumentsFor(const CommandEntry& entry, std::u16string_view upper_word,
                         std::u16string_view rest, std::u16string_view line);

}  // namespace qrx
