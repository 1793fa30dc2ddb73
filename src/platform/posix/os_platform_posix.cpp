#include "platform/os_platform.h"
#include "platform/posix/posix_platform.h"

namespace qrx {

std::unique_ptr<Platform> CreateOsPlatform() {
  return std::make_unique<PosixPlatform>();
}

}  // namespace qrx
