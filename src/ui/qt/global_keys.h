// System-wide keys on X11: the hot key and the function keys with the poll's modifiers,
// grabbed on the root window, so that they reach quorix whichever program is in front.
// Each grab is taken with every combination of NumLock and CapsLock as well, or the key
// would stop working while one of them is on.
#pragma once

#include <QAbstractNativeEventFilter>

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

struct xcb_connection_t;

namespace qrx {

class GlobalKeys : public QAbstractNativeEventFilter {
 public:
  // `on_hot_key` runs when the hot key is pressed. Without an X11 display nothing is grabbed.
  explicit GlobalKeys(std::function<void()> on_hot_key);
  ~GlobalKeys() override;
  GlobalKeys(const GlobalKeys&) = delete;
  GlobalKeys& operator=(const GlobalKeys&) = delete;

  bool Available() const { return connection_ != nullptr; }
  // Runs when a grabbed function key is pressed (the poll that reads it may be resting).
  void OnFunctionKey(std::function<void()> work) { on_function_key_ = std::move(work); }
  // False when the key has no X key or another program holds the combination.
  bool GrabHotKey(uint32_t modifiers, uint32_t virtual_key);
  void UngrabHotKey();
  // F1 to F15 with the poll's modifier sum; again only when the sum changed. A sum of 0 grabs
  // nothing: bare function keys belong to the program in front.
  void GrabFunctionKeys(int32_t sum);
  // Like GetAsyncKeyState, for F1 to F15 and the three modifier keys: the high bit while the
  // key is down, bit 0 when it was pressed since the last look.
  int16_t KeyState(int32_t virtual_key);

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

 private:
  struct Grab {
    uint8_t keycode = 0;
    uint16_t modifiers = 0;
  };
  uint8_t KeycodeFor(uint32_t keysym);
  bool GrabAll(uint8_t keycode, uint16_t modifiers);
  void Ungrab(const Grab& grab);

  std::function<void()> on_hot_key_;
  std::function<void()> on_function_key_;
  xcb_connection_t* connection_ = nullptr;
  uint32_t root_ = 0;
  std::vector<uint32_t> keysyms_;  // the server's map: keysyms_per_keycode_ per keycode
  uint8_t min_keycode_ = 0;
  uint8_t keysyms_per_keycode_ = 0;
  Grab hot_key_;
  int32_t function_sum_ = -1;
  std::vector<Grab> function_grabs_;
  std::array<uint8_t, 15> function_codes_{};
  std::array<bool, 15> down_{};
  std::array<bool, 15> pressed_{};
  uint16_t press_modifiers_ = 0;  // at the last function-key press
};

}  // namespace qrx
