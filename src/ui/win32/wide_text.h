// The program's UTF-16 text and the wide-character strings of the W APIs: the same code
// units on Windows, only the element types differ.
#pragma once

#include "platform/win32/win32_api.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace qrx::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline std::wstring Wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

// The whole text of a window (an edit box, a caption).
inline std::u16string WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  const int got = ::GetWindowTextW(window, buffer.data(), length + 1);
  return std::u16string(buffer.begin(), buffer.begin() + std::max(0, got));
}

}  // namespace qrx::win32
