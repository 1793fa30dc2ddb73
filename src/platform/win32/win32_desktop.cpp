// Wallpaper and screen saver on Windows: the system parameters, stored and announced.
#include "platform/win32/win32_api.h"

#include <vector>

#include "platform/win32/win32_ansi.h"
#include "platform/win32/win32_platform.h"

namespace qrx {
namespace {

// SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE: stored in the profile and announced.
constexpr UINT kStoreAndAnnounce = 3;

}  // namespace

bool Win32Platform::SetWallpaper(std::u16string_view file) {
  const auto name = win32::AnsiZ(*this, file);
  if (!name) return false;
  std::vector<char> buffer(name->begin(), name->end());
  buffer.push_back('\0');
  return SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, buffer.data(), kStoreAndAnnounce) != FALSE;
}

bool Win32Platform::SetScreenSaverActive(bool active) {
  return SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, active ? 1 : 0, nullptr,
                               kStoreAndAnnounce) != FALSE;
}

}  // namespace qrx
