// Text handed to and taken from the ANSI (...A) forms of the Win32 API.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace qrx::win32 {

// The ANSI form of a text for an API that takes a C string, or nothing when the text holds a
// NUL: the API would see a shorter, different name.
inline std::optional<std::string> AnsiZ(const Platform& os, std::u16string_view text) {
  if (text.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  return os.ToAnsi(text);
}

// The text of a buffer up to (not including) its first NUL.
inline std::string_view TrimAtNul(std::string_view buffer) {
  return buffer.substr(0, std::min(buffer.find('\0'), buffer.size()));
}

}  // namespace qrx::win32
