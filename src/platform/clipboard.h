// The clipboard's text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qrx {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // The clipboard's text; nothing when it holds no text.
  virtual std::optional<std::u16string> GetClipboardText() = 0;
  // Replaces the clipboard's content with the text. False when the clipboard was busy.
  virtual bool SetClipboardText(std::u16string_view text) = 0;
};

}  // namespace qrx
