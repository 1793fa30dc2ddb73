// PLACEHOLDER-UNTIL-LAUNCH-WORK: AppendFile, ShellExecute and RunArchiver on Windows.
#include "platform/win32/win32_platform.h"

namespace qrx {

bool Win32Platform::AppendFile(std::u16string_view, std::string_view) { return false; }

int32_t Win32Platform::ShellExecute(intptr_t, std::u16string_view, std::u16string_view,
                                    std::u16string_view, std::u16string_view, int32_t) {
  return 0;
}

std::optional<int32_t> Win32Platform::RunArchiver(intptr_t, std::u16string_view) {
  return std::nullopt;
}

}  // namespace qrx
