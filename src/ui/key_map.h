// The keys of the settings (Windows virtual-key codes and hot-key modifier bits, as stored
// in the configuration) in the terms of the X keyboard: key symbols and modifier masks. Pure
// tables, so that both systems read one configuration the same way.
#pragma once

#include <cstdint>
#include <string>

namespace qrx {

// The X key symbol of a virtual-key code; 0 for a code without one.
uint32_t KeysymForVirtualKey(uint32_t virtual_key);

// The X name of that key symbol ("Home", "a", "F5", "KP_Add"); empty for a code without one.
std::string KeysymNameForVirtualKey(uint32_t virtual_key);

// X modifier masks (the core protocol's state bits).
namespace xmod {
inline constexpr uint16_t kShift = 0x01;
inline constexpr uint16_t kLock = 0x02;  // CapsLock
inline constexpr uint16_t kControl = 0x04;
inline constexpr uint16_t kAlt = 0x08;      // Mod1
inline constexpr uint16_t kNumLock = 0x10;  // Mod2
inline constexpr uint16_t kSuper = 0x40;    // Mod4
}  // namespace xmod

// The hot key's modifier bits (Alt 1, Ctrl 2, Shift 4, Win 8) as an X mask.
uint16_t XModifiersForHotKey(uint32_t modifiers);
// The function-key poll's sum (Shift 1, Ctrl 2, Alt 4) as an X mask.
uint16_t XModifiersForFunctionKeys(int32_t sum);

}  // namespace qrx
