#include "platform/os_platform.h"
#include "platform/win32/win32_platform.h"

namespace qrx {

std::unique_ptr<Platform> CreateOsPlatform() {
  return std::make_unique<Win32Platform>();
}

}  // namespace qrx
