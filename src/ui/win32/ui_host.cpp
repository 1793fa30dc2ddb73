#include "ui/win32/ui_host.h"

#include <algorithm>

#include "ui/main_window.h"
#include "ui/popup_boxes.h"
#include "ui/win32/input_box.h"
#include "ui/win32/wide_text.h"

namespace qrx {

int Win32UiHost::MessageBox(std::u16string_view text, std::u16string_view title, uint32_t style) {
  ThrowIfEnding();
  const std::wstring wide_text = win32::Wide(text);
  const std::wstring wide_title = win32::Wide(title);
  ++boxes_open_;
  const int result = ::MessageBoxW(Owner(), wide_text.c_str(), wide_title.c_str(), style);
  --boxes_open_;
  // The box's own loop ends early when the program is closed while it is open.
  ThrowIfEnding();
  return result;
}

std::optional<std::u16string> Win32UiHost::InputBox(std::u16string_view prompt,
                                                    std::u16string_view title,
                                                    std::u16string_view initial) {
  ThrowIfEnding();
  std::optional<std::u16string> typed = win32::RunInputBox(*this, Owner(), prompt, title, initial);
  ThrowIfEnding();
  return typed;
}

void Win32UiHost::PumpEvents(uint32_t max_wait_ms) {
  ThrowIfEnding();
  const DWORD start = ::GetTickCount();
  ::MsgWaitForMultipleObjectsEx(0, nullptr, max_wait_ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  MSG msg;
  while (!ending_ && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The loop further out must see it too.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      ending_ = true;
      break;
    }
    Dispatch(msg);
    // A steady stream of messages must not keep the waiting command from its deadline;
    // a call that does not wait still gets a tick's time to empty the queue.
    if (::GetTickCount() - start >= std::max<uint32_t>(max_wait_ms, 100)) break;
  }
  ThrowIfEnding();
}

void Win32UiHost::ShowPopup(std::u16string_view text, int16_t time) {
  if (popups_ != nullptr) popups_->Show(text, time);
}

void Win32UiHost::Quit() {
  if (!ending_) ::PostQuitMessage(0);
  ending_ = true;
}

void Win32UiHost::RunMessageLoop() {
  MSG msg;
  // Also once the program is ending without its WM_QUIT: a loop of the system's own (a
  // dialog, a drag) may have taken it, and the tick's next message ends the loop instead.
  while (!ending_ && ::GetMessageW(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
}

void Win32UiHost::RemoveDialog(HWND dialog) {
  dialogs_.erase(std::remove(dialogs_.begin(), dialogs_.end(), dialog), dialogs_.end());
}

void Win32UiHost::Dispatch(MSG& msg) {
  // The newest input box first: it is the one the user sees on top. A copy, as a box may
  // close while it handles the message.
  const std::vector<HWND> open = dialogs_;
  for (auto it = open.rbegin(); it != open.rend(); ++it) {
    if (::IsDialogMessageW(*it, &msg)) return;
  }
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
}

HWND Win32UiHost::Owner() const {
  return owner_ != nullptr && ::IsWindow(owner_) ? owner_ : nullptr;
}

}  // namespace qrx
