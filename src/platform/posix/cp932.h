// Code page 932 (Japanese Shift_JIS as Windows defines it) <-> UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace qrx {

// Characters that code page 932 cannot hold become '?'.
std::string Cp932Encode(std::u16string_view text);
// Bytes that are not valid code page 932 become "?", one per byte that cannot start a character.
std::u16string Cp932Decode(std::string_view bytes);

}  // namespace qrx
