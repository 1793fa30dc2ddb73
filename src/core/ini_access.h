// Reading and writing INI files (the configuration, the catalogue, any file named by INI).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qrx {

struct Context;

// The stored value (blanks and one pair of quotes removed), or the default.
std::u16string ReadIni(Context& ctx, std::u16string_view section, std::u16string_view key,
                       std::u16string_view def, std::u16string_view file);

// Writes a value; an empty value deletes the key. When the write is refused, a warning box
// names the file and false is returned (callers with an answer of their own report it).
bool WriteIni(Context& ctx, std::u16string_view section, std::u16string_view key,
              std::u16string_view value, std::u16string_view file);

// Writes a text the user typed (a variable, a function key, an alias, a timer command, a
// history entry) inside one pair of quotes, which reading removes again: quotes and outer
// blanks of the text read back exactly as written. Values stored bare by older versions still
// read as before. An empty text deletes the key.
bool WriteIniText(Context& ctx, std::u16string_view section, std::u16string_view key,
                  std::u16string_view text, std::u16string_view file);

// Every key name of a section, in file order (read whole, never cut).
std::vector<std::u16string> GetKeyNames(Context& ctx, std::u16string_view section,
                                        std::u16string_view file);

// Every section name of a file, in file order (read whole, never cut).
std::vector<std::u16string> GetSectionNames(Context& ctx, std::u16string_view file);

}  // namespace qrx
