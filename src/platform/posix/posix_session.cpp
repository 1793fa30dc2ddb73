// Keyboard state, other programs' windows and the end of the session on POSIX.
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/posix/posix_platform.h"

namespace qrx {
namespace {

constexpr uint32_t kShutdown = 0x1;
constexpr uint32_t kReboot = 0x2;
constexpr uint32_t kPowerOff = 0x8;

// Runs a system program found on PATH and tells whether it ran and succeeded.
bool RunProgram(std::vector<std::string> args) {
  args[0] = posix::FindExecutableOnPath(args[0]);
  return !args[0].empty() && posix::RunAndWait(std::move(args)) == 0;
}

}  // namespace

// There is no system-wide key state on a POSIX desktop that every program may read: the
// function keys of other programs' windows are not watched here.
int16_t PosixPlatform::AsyncKeyState(int32_t) {
  return 0;
}

// Other programs' controls cannot be reached either: the text goes nowhere.
intptr_t PosixPlatform::ForegroundFocus() {
  return 0;
}
void PosixPlatform::SendSetText(intptr_t, std::u16string_view) {}

bool PosixPlatform::EndSession(uint32_t flags) {
  // Test runs set QRX_SESSION_END=off, so that no test can end a real session.
  if (const char* guard = std::getenv("QRX_SESSION_END"); guard && std::string(guard) == "off") {
    return false;
  }
  if (flags & kReboot) return RunProgram({"systemctl", "reboot"});
  if (flags & (kPowerOff | kShutdown)) return RunProgram({"systemctl", "poweroff"});
  const char* session = std::getenv("XDG_SESSION_ID");
  if (session == nullptr) return false;
  return RunProgram({"loginctl", "terminate-session", session});
}

}  // namespace qrx
