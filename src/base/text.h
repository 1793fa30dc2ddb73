// Small helpers over UTF-16 text, the program's in-memory form of every text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qrx {

// UTF-8 <-> UTF-16. Invalid input becomes U+FFFD; nothing is dropped silently.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);

// Upper case as the command words, SET names and alias names are compared: ASCII, Latin-1,
// Greek, Cyrillic and the full-width Latin letters.
char16_t UpperChar(char16_t c);
std::u16string UpperCase(std::u16string_view text);
// Case-insensitive equality with the same folding.
bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b);

// Shortest decimal text, with a leading "-" when negative.
std::u16string Decimal(int64_t value);

// An ASCII-only literal or text as UTF-16.
std::u16string Ascii(std::string_view ascii);

}  // namespace qrx
