// PLACEHOLDER-UNTIL-WINDOW-WORK: key state, foreground focus, set-text and session end.
#include "platform/win32/win32_api.h"

#include "platform/win32/win32_platform.h"

namespace qrx {

int16_t Win32Platform::AsyncKeyState(int32_t) { return 0; }
intptr_t Win32Platform::ForegroundFocus() { return 0; }
void Win32Platform::SendSetText(intptr_t, std::u16string_view) {}
bool Win32Platform::EndSession(uint32_t) { return false; }

}  // namespace qrx
