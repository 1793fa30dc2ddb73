#include "ui/key_map.h"

#include <gtest/gtest.h>

namespace qrx::test {
namespace {

TEST(KeyMapTest, VirtualKeysBecomeXKeySymbols) {
  const struct {
    uint32_t vk, keysym;
  } cases[] = {
      {'A', 'a'},     {'Z', 'z'},     {'0', '0'},     {0x60, 0xFFB0},  // keypad 0
      {0x70, 0xFFBE}, {0x7E, 0xFFCC}, {0x87, 0xFFD5},                  // F1, F15, F24
      {0x24, 0xFF50}, {0x23, 0xFF57}, {0x2E, 0xFFFF}, {0xBA, ';'},     // Home, End, Delete
      {0x10, 0},      {0xFF, 0},                                       // Shift, unknown
  };
  for (const auto& c : cases) EXPECT_EQ(KeysymForVirtualKey(c.vk), c.keysym) << c.vk;
}

TEST(KeyMapTest, TheTwoModifierEncodingsMeetInOneMask) {
  // ACTIVEKEY-EX: Alt 1, Ctrl 2, Shift 4, Win 8; FPU: Shift 1, Ctrl 2, Alt 4.
  EXPECT_EQ(XModifiersForHotKey(3), xmod::kControl | xmod::kAlt);
  EXPECT_EQ(XModifiersForFunctionKeys(6), xmod::kControl | xmod::kAlt);
  EXPECT_EQ(XModifiersForHotKey(4), xmod::kShift);
  EXPECT_EQ(XModifiersForFunctionKeys(1), xmod::kShift);
  EXPECT_EQ(XModifiersForHotKey(8), xmod::kSuper);
  EXPECT_EQ(XModifiersForFunctionKeys(0), 0);
}

}  // namespace
}  // namespace qrx::test
