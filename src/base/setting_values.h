// Conversions of stored setting texts that are wider or narrower than ToInteger's 16 bits.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qrx {

// A numeric text whose rounded value is 0..255; nothing for anything else, so that the
// caller treats the key as missing.
std::optional<uint8_t> ToByte(std::u16string_view text);

// A numeric text whose rounded value fits 32 bits; nothing for anything else.
std::optional<int32_t> ToInt32(std::u16string_view text);

}  // namespace qrx
