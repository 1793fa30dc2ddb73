// The command box's keys and mouse: the window sees every key before the box does.
#include "platform/win32/win32_api.h"

#include <commctrl.h>

#include "ui/win32/plain_window.h"

namespace qrx {

LRESULT CALLBACK PlainWindow::CommandBoxProc(HWND box, UINT message, WPARAM wparam, LPARAM lparam,
                                             UINT_PTR, DWORD_PTR self_data) {
  auto* self = reinterpret_cast<PlainWindow*>(self_data);
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:  // Alt held, or F10
      if (self->OnKey(wparam)) return 0;
      break;
    case WM_CHAR:
      // Tab completes and Esc puts back what was typed (OnKey); neither is a character of
      // the box, which would only beep at them.
      if (wparam == VK_TAB || wparam == VK_ESCAPE) return 0;
      if (wparam == VK_RETURN) {
        // Taken here, so the box does not beep at a key it has no use for.
        self->Forward([](MainWindow& w) { w.OnEnter(); });
        return 0;
      }
      break;
    case WM_MBUTTONDOWN:
      self->Forward([](MainWindow& w) { w.OnMouseDown(MouseButton::kMiddle); });
      return 0;
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(box, CommandBoxProc, kCommandBoxSubclass);
      break;
    default:
      break;
  }
  return ::DefSubclassProc(box, message, wparam, lparam);
}

bool PlainWindow::OnKey(WPARAM virtual_key) {
  bool used = false;
  Forward([&](MainWindow& w) {
    used = w.OnKeyDown(static_cast<int32_t>(virtual_key), ::GetKeyState(VK_SHIFT) < 0,
                       ::GetKeyState(VK_CONTROL) < 0, ::GetKeyState(VK_MENU) < 0);
  });
  return used;
}

}  // namespace qrx
