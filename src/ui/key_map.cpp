#include "ui/key_map.h"

#include <string>

namespace qrx {

namespace {

// Keys with a name rather than a character or a numbered range: the key symbol and its name.
struct NamedKey {
  uint32_t virtual_key;
  uint32_t keysym;
  const char* name;
};
constexpr NamedKey kNamedKeys[] = {
    {0x08, 0xFF08, "BackSpace"},
    {0x09, 0xFF09, "Tab"},
    {0x0D, 0xFF0D, "Return"},
    {0x13, 0xFF13, "Pause"},
    {0x1B, 0xFF1B, "Escape"},
    {0x20, 0x0020, "space"},
    {0x21, 0xFF55, "Prior"},
    {0x22, 0xFF56, "Next"},
    {0x23, 0xFF57, "End"},
    {0x24, 0xFF50, "Home"},
    {0x25, 0xFF51, "Left"},
    {0x26, 0xFF52, "Up"},
    {0x27, 0xFF53, "Right"},
    {0x28, 0xFF54, "Down"},
    {0x2C, 0xFF61, "Print"},
    {0x2D, 0xFF63, "Insert"},
    {0x2E, 0xFFFF, "Delete"},
    {0x6A, 0xFFAA, "KP_Multiply"},
    {0x6B, 0xFFAB, "KP_Add"},
    {0x6D, 0xFFAD, "KP_Subtract"},
    {0x6E, 0xFFAE, "KP_Decimal"},
    {0x6F, 0xFFAF, "KP_Divide"},
    {0xBA, ';', "semicolon"},
    {0xBB, '=', "equal"},
    {0xBC, ',', "comma"},
    {0xBD, '-', "minus"},
    {0xBE, '.', "period"},
    {0xBF, '/', "slash"},
    {0xC0, '`', "grave"},
    {0xDB, '[', "bracketleft"},
    {0xDC, '\\', "backslash"},
    {0xDD, ']', "bracketright"},
    {0xDE, '\'', "apostrophe"},
};

}  // namespace

uint32_t KeysymForVirtualKey(uint32_t vk) {
  // Letters are stored as their capitals; X names the key by the small letter.
  if (vk >= 'A' && vk <= 'Z') return vk - 'A' + 'a';
  if (vk >= '0' && vk <= '9') return vk;
  if (vk >= 0x60 && vk <= 0x69) return 0xFFB0 + (vk - 0x60);  // keypad digits
  if (vk >= 0x70 && vk <= 0x87) return 0xFFBE + (vk - 0x70);  // F1 to F24
  for (const NamedKey& key : kNamedKeys) {
    if (key.virtual_key == vk) return key.keysym;
  }
  return 0;
}

std::string KeysymNameForVirtualKey(uint32_t vk) {
  if (vk >= 'A' && vk <= 'Z') return std::string(1, static_cast<char>(vk - 'A' + 'a'));
  if (vk >= '0' && vk <= '9') return std::string(1, static_cast<char>(vk));
  if (vk >= 0x60 && vk <= 0x69) return "KP_" + std::to_string(vk - 0x60);
  if (vk >= 0x70 && vk <= 0x87) return "F" + std::to_string(vk - 0x70 + 1);
  for (const NamedKey& key : kNamedKeys) {
    if (key.virtual_key == vk) return key.name;
  }
  return {};
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
