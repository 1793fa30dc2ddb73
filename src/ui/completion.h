// Tab in the command box: completes the word before the caret from the command words,
// aliases and indexed programs (first word), the SET names (after SET), the alias names
// (after ALIAS), files and folders (a word that looks like a path) or the history's words.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/name_ranking.h"

namespace qrx {

struct Context;
class WindowSurface;

struct CompletionCandidate {
  std::u16string text;   // the name, unquoted, with the folder part of a typed path
  std::u16string shown;  // in the list on the answer line
  bool folder = false;   // the name of a folder: it ends in the separator, no blank follows
  NameMatch match;
  uint32_t launches = 0;
  uint32_t last_launch = 0;
};

// What the word before the caret can be completed with, best first.
struct CompletionWord {
  size_t start = 0;  // where the word begins in the box text (at its opening quote)
  std::u16string typed;  // the word without its quotes
  bool ignore_case = true;
  std::vector<CompletionCandidate> candidates;
};
CompletionWord CompleteWord(Context& ctx, std::u16string_view text, size_t caret);

// The key handling over a completion: the first Tab completes (one candidate whole, several
// to their common beginning, with the list on the answer line), each further Tab puts the
// next candidate in, Shift+Tab the one before, and Esc puts back what was typed.
class Completer {
 public:
  // Tab or Shift+Tab; true: the key is used up.
  bool OnTab(Context& ctx, WindowSurface& box, bool shift);
  // Esc; true when it put back what was typed (and so is used up).
  bool OnEscape(WindowSurface& box);
  // Any other key, or Enter: the completion ends where it is.
  void Reset() { cycling_ = false; }

 private:
  void Put(WindowSurface& box, std::u16string_view word, bool finished);

  bool cycling_ = false;
  std::u16string original_;  // the box as typed
  size_t original_caret_ = 0;
  size_t word_start_ = 0;
  std::vector<CompletionCandidate> candidates_;
  int index_ = -1;  // the candidate in the box; -1: their common beginning
  std::u16string put_;  // the box as the completion left it
  size_t put_caret_ = 0;
};

}  // namespace qrx
