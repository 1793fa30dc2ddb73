// Code page 932 (Japanese Shift_JIS as Windows defines it) <-> UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace qrx {

// Characters that code page 932 cannot hold become '?', one per UTF-16 unit (a surrogate
// pair gives "??"), as Windows converts without best fit.
std::string Cp932Encode(std::u16string_view text);
// Bytes that are not valid code page 932 are never dropped: an undefined double-byte code
// gives one katakana middle dot (U+30FB), as on Windows; a lead byte without a trail byte
// gives '?' and the byte after it is read afresh.
std::u16string Cp932Decode(std::string_view bytes);

}  // namespace qrx
