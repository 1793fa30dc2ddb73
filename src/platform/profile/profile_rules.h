// Rules shared by the INI engine and the Win32 profile calls: the blanks that are trimmed,
// the names a file can hold, the writes that are refused, and what a default turns into.
//
// Both sides apply them before they touch a file, so quorix gives the same answers on every
// system even where the profile API itself would go wrong (an empty name crashes the ANSI
// API of Windows; a line break in a value would inject keys and sections).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qrx::profile {

// The blanks trimmed around lines, names and values: 0x09-0x0D, 0x1A and 0x20.
bool IsBlank(char16_t c);
std::u16string_view TrimBlanks(std::u16string_view text);
std::u16string_view TrimLeadingBlanks(std::u16string_view text);
std::u16string_view TrimTrailingBlanks(std::u16string_view text);

// Section and key names compare without regard to case (qrx::UpperChar).
bool SameName(std::u16string_view a, std::u16string_view b);

// The name a lookup searches for (blanks around it dropped), or nothing when no line of a
// file can hold it, so that the lookup gives the default: an empty name, a NUL or line break
// inside it, and for keys an "=" inside or a ";" in front (that line is a comment).
std::optional<std::u16string_view> LookupSection(std::u16string_view section);
std::optional<std::u16string_view> LookupKey(std::u16string_view key);

// The name or value a write stores, or nothing when the write must be refused because the
// file would read back as something else: a section name with "]", a key name starting
// with "[" (it could become a header) and every rule of the lookups; a value with CR, LF or
// NUL. A stored value loses its leading blanks and keeps its trailing ones.
std::optional<std::u16string_view> WritableSection(std::u16string_view section);
std::optional<std::u16string_view> WritableKey(std::u16string_view key);
std::optional<std::u16string_view> WritableValue(std::u16string_view value);

// One pair of matching quotes (' or ") around a text of at least two characters removed.
std::u16string_view StripQuotes(std::u16string_view value);

// The default as a lookup returns it: trailing spaces dropped (the first character always
// stays), then one pair of quotes removed.
std::u16string EffectiveDefault(std::u16string_view def);

}  // namespace qrx::profile
