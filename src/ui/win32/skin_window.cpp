#include "ui/win32/skin_window.h"

#include <commctrl.h>

namespace qrx {

SkinWindow::SkinWindow(PlainWindow& window)
    : hwnd_(reinterpret_cast<HWND>(window.NativeHandle())) {}

SkinWindow::~SkinWindow() {
  if (frameless_ && ::IsWindow(hwnd_)) ::RemoveWindowSubclass(hwnd_, Subclass, kSubclassId);
}

std::optional<PictureSize> SkinWindow::LoadPicture(std::u16string_view path) {
  pending_ = win32::PictureBitmap::Load(path);
  if (!pending_) return std::nullopt;
  return PictureSize{pending_->width, pending_->height};
}

void SkinWindow::MakeFrameless() {
  // Before the first picture the window is the plain one; from here on its size and boxes
  // follow the skin only, and the answer line is not shown (answers go to the balloon).
  const LONG_PTR style = ::GetWindowLongPtrW(hwnd_, GWL_STYLE);
  ::SetWindowLongPtrW(hwnd_, GWL_STYLE,
                      (style & (WS_VISIBLE | WS_DISABLED | WS_MINIMIZE)) | WS_POPUP |
                          WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX);
  ::SetWindowSubclass(hwnd_, Subclass, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
  if (HWND answer = ::GetDlgItem(hwnd_, PlainWindow::kAnswerLineId)) {
    ::ShowWindow(answer, SW_HIDE);
  }
  frameless_ = true;
}

void SkinWindow::ShowPicture(const SkinLayout& layout) {
  if (!pending_) return;
  if (!frameless_) MakeFrameless();
  picture_ = win32::PictureBitmap(*pending_);
  pending_.reset();
  picture_left_ = layout.picture_left;
  ::SetWindowPos(hwnd_, nullptr, 0, 0, layout.width, layout.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  if (HWND box = ::GetDlgItem(hwnd_, PlainWindow::kCommandBoxId)) {
    RECT r{};
    ::GetWindowRect(box, &r);
    ::MoveWindow(box, layout.box_left, layout.box_top, layout.box_width, r.bottom - r.top, TRUE);
  }
  win32::SetLayered(hwnd_, picture_.top_left(), 0, LWA_COLORKEY);
  ::InvalidateRect(hwnd_, nullptr, TRUE);
}

WindowRect SkinWindow::OuterRect() {
  RECT r{};
  if (!::GetWindowRect(hwnd_, &r)) return WindowRect{};
  return WindowRect{r.left, r.top, r.right, r.bottom};
}

void SkinWindow::Paint() {
  const win32::ScopedPaint paint(hwnd_);
  if (paint.Get() == nullptr) return;
  RECT client{};
  ::GetClientRect(hwnd_, &client);
  // Beside a picture narrower than the command box: the transparent colour.
  const win32::ScopedBrush back(::CreateSolidBrush(picture_.top_left()));
  ::FillRect(paint.Get(), &client, back.Get());
  picture_.Draw(paint.Get(), picture_left_, 0);
}

LRESULT CALLBACK SkinWindow::Subclass(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                      UINT_PTR, DWORD_PTR self_data) {
  auto* self = reinterpret_cast<SkinWindow*>(self_data);
  switch (message) {
    case WM_SIZE:
      return 0;  // the layout is the skin's, whatever changes the size
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      self->Paint();
      return 0;
    case WM_NCDESTROY:
      ::RemoveWindowSubclass(window, Subclass, kSubclassId);
      self->frameless_ = false;
      break;
    default:
      break;
  }
  return ::DefSubclassProc(window, message, wparam, lparam);
}

}  // namespace qrx
