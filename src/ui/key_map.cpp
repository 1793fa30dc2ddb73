#include "ui/key_map.h"

namespace qrx {

uint32_t KeysymForVirtualKey(uint32_t vk) {
  // Letters are stored as their capitals; X names the key by the small letter.
  if (vk >= 'A' && vk <= 'Z') return vk - 'A' + 'a';
  if (vk >= '0' && vk <= '9') return vk;
  if (vk >= 0x60 && vk <= 0x69) return 0xFFB0 + (vk - 0x60);  // keypad digits
  if (vk >= 0x70 && vk <= 0x87) return 0xFFBE + (vk - 0x70);  // F1 to F24
  switch (vk) {
    case 0x08: return 0xFF08;  // BackSpace
    case 0x09: return 0xFF09;  // Tab
    case 0x0D: return 0xFF0D;  // Return
    case 0x13: return 0xFF13;  // Pause
    case 0x1B: return 0xFF1B;  // Escape
    case 0x20: return 0x0020;  // space
    case 0x21: return 0xFF55;  // Prior
    case 0x22: return 0xFF56;  // Next
    case 0x23: return 0xFF57;  // End
    case 0x24: return 0xFF50;  // Home
    case 0x25: return 0xFF51;  // Left
    case 0x26: return 0xFF52;  // Up
    case 0x27: return 0xFF53;  // Right
    case 0x28: return 0xFF54;  // Down
    case 0x2C: return 0xFF61;  // Print
    case 0x2D: return 0xFF63;  // Insert
    case 0x2E: return 0xFFFF;  // Delete
    case 0x6A: return 0xFFAA;  // keypad *
    case 0x6B: return 0xFFAB;  // keypad +
    case 0x6D: return 0xFFAD;  // keypad -
    case 0x6E: return 0xFFAE;  // keypad .
    case 0x6F: return 0xFFAF;  // keypad /
    case 0xBA: return ';';
    case 0xBB: return '=';
    case 0xBC: return ',';
    case 0xBD: return '-';
    case 0xBE: return '.';
    case 0xBF: return '/';
    case 0xC0: return '`';
    case 0xDB: return '[';
    case 0xDC: return '\\';
    case 0xDD: return ']';
    case 0xDE: return '\'';
    default: return 0;
  }
}

uint16_t XModifiersForHotKey(uint32_t modifiers) {
  uint16_t mask = 0;
  if (modifiers & 1) mask |= xmod::kAlt;
  if (modifiers & 2) mask |= xmod::kControl;
  if (modifiers & 4) mask |= xmod::kShift;
  if (modifiers & 8) mask |= xmod::kSuper;
  return mask;
}

uint16_t XModifiersForFunctionKeys(int32_t sum) {
  uint16_t mask = 0;
  if (sum & 1) mask |= xmod::kShift;
  if (sum & 2) mask |= xmod::kControl;
  if (sum & 4) mask |= xmod::kAlt;
  return mask;
}

}  // namespace qrx
