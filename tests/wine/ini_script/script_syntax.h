// The text forms of the INI script: its words, and the way results are printed.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ini_script {

// One word of a script line. A quoted word may hold escapes: \\ \" \r \n \t \0, \xHH (a
// byte where bytes are meant, else the character U+00HH) and \uHHHH. The bare word "-"
// stands for nothing (a write that deletes).
struct Word {
  std::string text;  // UTF-8, escapes resolved; \xHH gives the raw byte
  bool quoted = false;
  // Byte positions in `text` that came from \xHH (raw bytes, not UTF-8).
  std::vector<size_t> raw_bytes;
};

// The words of a line; nothing (and `error` set) when a quote is left open or an escape is
// not understood.
std::optional<std::vector<Word>> SplitWords(std::string_view line, std::string* error);

// A word as text: UTF-8 decoded, each \xHH as the character U+00HH.
std::u16string WordText(const Word& word);

// A text quoted for the output: UTF-8, with \ " and control characters escaped.
std::string Quote(std::u16string_view text);
std::string Hex(std::string_view bytes);

}  // namespace ini_script
