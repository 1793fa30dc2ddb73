#include "ui/qt/global_keys.h"

#include <xcb/xcb.h>
#include <QGuiApplication>

#include <cstdlib>

#include "ui/key_map.h"

namespace qrx {
namespace {

constexpr int32_t kVkShift = 0x10, kVkControl = 0x11, kVkMenu = 0x12, kVkF1 = 0x70;
constexpr uint16_t kLockVariants[] = {0, xmod::kLock, xmod::kNumLock, xmod::kLock | xmod::kNumLock};
constexpr uint16_t kIgnored = xmod::kLock | xmod::kNumLock;

}  // namespace

GlobalKeys::GlobalKeys(std::function<void()> on_hot_key) : on_hot_key_(std::move(on_hot_key)) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || x11->connection() == nullptr) return;
  connection_ = x11->connection();
  const xcb_setup_t* setup = xcb_get_setup(connection_);
  root_ = xcb_setup_roots_iterator(setup).data->root;
  min_keycode_ = setup->min_keycode;
  const uint8_t count = static_cast<uint8_t>(setup->max_keycode - setup->min_keycode + 1);
  xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
      connection_, xcb_get_keyboard_mapping(connection_, min_keycode_, count), nullptr);
  if (map != nullptr) {
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    keysyms_.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(map));
    keysyms_per_keycode_ = map->keysyms_per_keycode;
    std::free(map);
  }
  qGuiApp->installNativeEventFilter(this);
}

GlobalKeys::~GlobalKeys() {
  if (connection_ == nullptr) return;
  UngrabHotKey();
  GrabFunctionKeys(0);
  xcb_flush(connection_);
}

uint8_t GlobalKeys::KeycodeFor(uint32_t keysym) {
  if (keysym == 0 || keysyms_per_keycode_ == 0) return 0;
  // The unshifted symbol first: a key that gives it with Shift is the second choice.
  for (int column = 0; column < keysyms_per_keycode_; ++column) {
    for (size_t code = 0; code * keysyms_per_keycode_ < keysyms_.size(); ++code) {
      if (keysyms_[code * keysyms_per_keycode_ + column] == keysym) {
        return static_cast<uint8_t>(min_keycode_ + code);
      }
    }
  }
  return 0;
}

bool GlobalKeys::GrabAll(uint8_t keycode, uint16_t modifiers) {
  xcb_void_cookie_t cookies[4];
  for (int i = 0; i < 4; ++i) {
    cookies[i] = xcb_grab_key_checked(connection_, 1, root_, modifiers | kLockVariants[i], keycode,
                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
  }
  bool refused = false;
  for (const xcb_void_cookie_t& cookie : cookies) {
    // BadAccess: another program holds it; any other error leaves no usable grab either.
    if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
      refused = true;
      std::free(error);
    }
  }
  if (refused) Ungrab({keycode, modifiers});
  return !refused;
}

void GlobalKeys::Ungrab(const Grab& grab) {
  if (grab.keycode == 0) return;
  for (uint16_t lock : kLockVariants) {
    xcb_ungrab_key(connection_, grab.keycode, root_, grab.modifiers | lock);
  }
  xcb_flush(connection_);
}

bool GlobalKeys::GrabHotKey(uint32_t modifiers, uint32_t virtual_key) {
  if (connection_ == nullptr) return false;
  UngrabHotKey();
  const uint8_t keycode = KeycodeFor(KeysymForVirtualKey(virtual_key));
  if (keycode == 0) return false;
  const uint16_t mask = XModifiersForHotKey(modifiers);
  if (!GrabAll(keycode, mask)) return false;
  hot_key_ = {keycode, mask};
  return true;
}

void GlobalKeys::UngrabHotKey() {
  if (connection_ == nullptr) return;
  Ungrab(hot_key_);
  hot_key_ = {};
}

void GlobalKeys::GrabFunctionKeys(int32_t sum) {
  if (connection_ == nullptr || sum == function_sum_) return;
  for (const Grab& grab : function_grabs_) Ungrab(grab);
  function_grabs_.clear();
  function_codes_ = {};
  function_sum_ = sum;
  const uint16_t mask = XModifiersForFunctionKeys(sum);
  if (mask == 0) return;
  for (int k = 0; k < 15; ++k) {
    const uint8_t keycode = KeycodeFor(KeysymForVirtualKey(kVkF1 + k));
    // A combination another program holds stays with it; the others still work.
    if (keycode == 0 || (keycode == hot_key_.keycode && mask == hot_key_.modifiers)) continue;
    if (!GrabAll(keycode, mask)) continue;
    function_grabs_.push_back({keycode, mask});
    function_codes_[k] = keycode;
  }
}

int16_t GlobalKeys::KeyState(int32_t vk) {
  auto modifier = [&](uint16_t bit) -> int16_t {
    return (press_modifiers_ & bit) != 0 ? static_cast<int16_t>(0x8000) : 0;
  };
  if (vk == kVkShift) return modifier(xmod::kShift);
  if (vk == kVkControl) return modifier(xmod::kControl);
  if (vk == kVkMenu) return modifier(xmod::kAlt);
  if (vk < kVkF1 || vk >= kVkF1 + 15) return 0;
  const int k = vk - kVkF1;
  const int16_t state = static_cast<int16_t>((down_[k] ? 0x8000 : 0) | (pressed_[k] ? 1 : 0));
  pressed_[k] = false;
  return state;
}

bool GlobalKeys::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
  if (type != "xcb_generic_event_t") return false;
  auto* event = static_cast<xcb_generic_event_t*>(message);
  const uint8_t kind = event->response_type & 0x7F;
  if (kind != XCB_KEY_PRESS && kind != XCB_KEY_RELEASE) return false;
  auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
  if (key->event != root_) return false;  // the program's own windows: Qt's
  const uint16_t modifiers = key->state & ~kIgnored & 0xFF;
  if (key->detail == hot_key_.keycode && modifiers == hot_key_.modifiers) {
    if (kind == XCB_KEY_PRESS && on_hot_key_) on_hot_key_();
    return true;
  }
  for (int k = 0; k < 15; ++k) {
    if (function_codes_[k] == 0 || key->detail != function_codes_[k]) continue;
    if (kind == XCB_KEY_PRESS) {
      if (!down_[k]) pressed_[k] = true;
      down_[k] = true;
      press_modifiers_ = modifiers;
      if (on_function_key_) on_function_key_();
    } else {
      down_[k] = false;
    }
    return true;
  }
  return false;
}

}  // namespace qrx
