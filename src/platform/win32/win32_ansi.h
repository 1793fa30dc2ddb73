// Text handed to and taken from the ANSI (...A) forms of the Win32 API.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace qrx::win32 {

// The ANSI form of a text for an API that takes a C string, or nothing when the API would
// see a different name: the text holds a NUL (a shorter name), or a character the code page
// cannot hold (it would become "?", which file calls read as a wildcard).
inline std::optional<std::string> AnsiZ(const Platform& os, std::u16string_view text) {
  if (text.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  std::string ansi = os.ToAnsi(text);
  if (os.FromAnsi(ansi) != text) return std::nullopt;
  return ansi;
}

// The text of a buffer up to (not including) its first NUL.
inline std::string_view TrimAtNul(std::string_view buffer) {
  return buffer.substr(0, std::min(buffer.find('\0'), buffer.size()));
}

}  // namespace qrx::win32
