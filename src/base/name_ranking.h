// How well a typed text matches a name, for completion: an exact name, a name that starts
// with the text, a name in which a word starts with it, or a name that holds its letters in
// order (scored: consecutive letters and word starts count most, gaps cost).
#pragma once

#include <cstdint>
#include <string_view>

namespace qrx {

enum class MatchKind : uint8_t { kExact = 0, kPrefix = 1, kWordStart = 2, kLetters = 3, kNone = 4 };

struct NameMatch {
  MatchKind kind = MatchKind::kNone;
  int32_t score = 0;  // higher is better; compared only between matches of one kind
};

// `ignore_case`: letters are compared in upper case (command words, aliases, Windows paths).
// `letters`: false leaves out the letters-in-order match (and its cost).
NameMatch MatchName(std::u16string_view typed, std::u16string_view name, bool ignore_case,
                    bool letters = true);

// True when `c` begins a word of a name: the first character, one after a blank or a
// separator ("-", "_", ".", "/", "\"), or an upper-case letter after a lower-case one.
bool StartsWord(std::u16string_view name, size_t at);

}  // namespace qrx
