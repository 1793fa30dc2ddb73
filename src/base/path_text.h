// Splitting and rebuilding file paths. Stateless; the folder separator is passed in (the
// platform's PathSeparator(): '\' on Windows, '/' on POSIX).
//
// The last separator and the last "." are searched from the end of the whole text, so a "."
// in a folder name counts when the file name has none.
#pragma once

#include <string>
#include <string_view>

namespace qrx {

// Mode 1 completes a half-quoted text: a quote is appended when the text starts with one and
// does not end with one; then a quote is put in front when it ends with one and does not
// start with one. Any other mode strips one leading and then one trailing quote (a text that
// is a single quote becomes empty). Text without quotes comes back unchanged.
std::u16string FixQuotes(std::u16string_view text, int mode);

struct PathParts {
  std::u16string dir;   // before the last separator, quotes stripped; empty when none
  std::u16string file;  // after the last separator (or the whole text), quotes stripped
};
PathParts SplitPath(std::u16string_view path, char16_t sep);

// The text before the last separator, quotes stripped; empty when there is no separator.
std::u16string DirPart(std::u16string_view path, char16_t sep);

// The text before the last ".", quotes stripped; a path without "." comes back unchanged,
// quotes and all.
std::u16string CutExtension(std::u16string_view path);

// The folder with `sep` appended unless it already ends with one (the empty text gives
// just the separator).
std::u16string AddBackslash(std::u16string_view dir, char16_t sep);

}  // namespace qrx
