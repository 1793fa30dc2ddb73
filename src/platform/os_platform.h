// The platform of the system the program was built for (Win32 or POSIX).
#pragma once

#include <memory>

#include "platform/platform.h"

namespace qrx {

std::unique_ptr<Platform> CreateOsPlatform();

}  // namespace qrx
