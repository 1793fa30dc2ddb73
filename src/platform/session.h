// The end of the user's session.
#pragma once

#include <cstdint>

namespace qrx {

class Session {
 public:
  virtual ~Session() = default;
  // Asks the system to log off, restart or power off (ExitWindowsEx flags), enabling the
  // shutdown privilege first. False when the system refused.
  virtual bool EndSession(uint32_t flags) = 0;
};

}  // namespace qrx
