// The input box of "$?": a prompt, the program's title, a text field, OK and Cancel.
#pragma once

#include "platform/win32/win32_api.h"

#include <optional>
#include <string>
#include <string_view>

namespace qrx {
class Win32UiHost;
}

namespace qrx::win32 {

// Control ids of the box, for programs that drive it from outside.
inline constexpr int kInputPromptId = 1100;
inline constexpr int kInputEditId = 1101;

// Shows the box modally (events keep being handled) and returns the typed text, or nothing
// when the user cancelled or the box could not be shown.
std::optional<std::u16string> RunInputBox(Win32UiHost& host, HWND owner, std::u16string_view prompt,
                                          std::u16string_view title, std::u16string_view initial);

}  // namespace qrx::win32
