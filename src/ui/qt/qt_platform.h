// The POSIX platform as the desktop window sees it: the clipboard is the toolkit's own (read
// again only after it announced a change, so the clipboard watch costs nothing while nothing
// happens), and the function keys of other programs' windows are the grabbed ones.
#pragma once

#include <optional>
#include <string>

#include "platform/posix/posix_platform.h"

namespace qrx {

class GlobalKeys;

class QtDesktopPlatform : public PosixPlatform {
 public:
  QtDesktopPlatform();

  void AttachKeys(GlobalKeys* keys) { keys_ = keys; }

  std::optional<std::u16string> GetClipboardText() override;
  bool SetClipboardText(std::u16string_view text) override;
  int16_t AsyncKeyState(int32_t virtual_key) override;

 private:
  GlobalKeys* keys_ = nullptr;
  bool changed_ = true;
  std::optional<std::u16string> text_;
};

}  // namespace qrx
