// The popup answer boxes on Win32: small boxes on top of other windows that never take the
// focus; each closes itself when its time is up, or when it is clicked.
#pragma once

#include "platform/win32/win32_api.h"

#include <map>
#include <string>

#include "platform/win32/scoped_win.h"
#include "ui/popup_boxes.h"

namespace qrx {

class PopupWindows : public PopupSurface {
 public:
  // What programs that look at the boxes from outside rely on.
  static constexpr wchar_t kClassName[] = L"QuorixPopup";

  explicit PopupWindows(HINSTANCE instance);
  ~PopupWindows() override;
  PopupWindows(const PopupWindows&) = delete;
  PopupWindows& operator=(const PopupWindows&) = delete;

  Size MeasureBox(std::u16string_view text) override;
  Size ScreenSize() override;
  int32_t OpenBox(std::u16string_view text, const PopupLook& look, int32_t x, int32_t y) override;
  void CloseAfter(int32_t box, int32_t ms) override;

 private:
  struct Box {
    HWND window = nullptr;
    std::wstring text;
    COLORREF back = 0;
    COLORREF fore = 0;
  };
  static constexpr UINT_PTR kCloseTimer = 1;
  static constexpr DWORD kStyle = WS_POPUP | WS_BORDER;
  static constexpr DWORD kExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(HWND window, int32_t id, UINT message, WPARAM wparam, LPARAM lparam);
  SIZE TextSize(const std::wstring& text);

  HINSTANCE instance_;
  ATOM class_ = 0;
  win32::ScopedFont font_;
  int32_t next_id_ = 1;
  std::map<int32_t, Box> boxes_;
};

}  // namespace qrx
