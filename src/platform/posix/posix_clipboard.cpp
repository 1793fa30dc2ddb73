#include "platform/posix/posix_platform.h"

namespace qrx {

std::optional<std::u16string> PosixPlatform::GetClipboardText() {
  return local_clipboard_;
}

bool PosixPlatform::SetClipboardText(std::u16string_view text) {
  local_clipboard_ = std::u16string(text);
  return true;
}

}  // namespace qrx
