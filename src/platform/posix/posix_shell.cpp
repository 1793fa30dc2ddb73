// PLACEHOLDER-UNTIL-LAUNCH-WORK: AppendFile, ShellExecute and RunArchiver on POSIX.
#include "platform/posix/posix_platform.h"

namespace qrx {

bool PosixPlatform::AppendFile(std::u16string_view, std::string_view) { return false; }

int32_t PosixPlatform::ShellExecute(intptr_t, std::u16string_view, std::u16string_view,
                                    std::u16string_view, std::u16string_view, int32_t) {
  return 0;
}

std::optional<int32_t> PosixPlatform::RunArchiver(intptr_t, std::u16string_view) {
  return std::nullopt;
}

}  // namespace qrx
