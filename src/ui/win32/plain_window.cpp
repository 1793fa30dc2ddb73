#include "ui/win32/plain_window.h"

#include <shellapi.h>

#include "ui/layout.h"
#include "ui/win32/app_icon.h"
#include "ui/win32/socket_events.h"
#include "ui/win32/wide_text.h"

namespace qrx {
namespace {

constexpr DWORD kStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_ACCEPTFILES;

}  // namespace

PlainWindow::PlainWindow(HINSTANCE instance, Win32UiHost& host) : instance_(instance), host_(host) {
  large_icon_ = win32::MakeAppIcon(::GetSystemMetrics(SM_CXICON));
  small_icon_ = win32::MakeAppIcon(::GetSystemMetrics(SM_CXSMICON));
  {
    win32::ScopedWindowDc screen;
    if (screen.Get() != nullptr) {
      twips_per_pixel_x_ = layout::TwipsPerPixel(::GetDeviceCaps(screen.Get(), LOGPIXELSX));
      twips_per_pixel_y_ = layout::TwipsPerPixel(::GetDeviceCaps(screen.Get(), LOGPIXELSY));
    }
  }

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hIcon = large_icon_.Get();
  wc.hIconSm = small_icon_.Get();
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  class_ = ::RegisterClassExW(&wc);
  if (class_ == 0) return;

  RECT frame{0, 0, layout::ToPixels(layout::kClientWidth, twips_per_pixel_x_),
             layout::ToPixels(layout::kClientHeight, twips_per_pixel_y_)};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  design_height_ = frame.bottom - frame.top;
  ::CreateWindowExW(kExStyle, kClassName, L"", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                    frame.right - frame.left, design_height_, nullptr, nullptr, instance_, this);
  if (hwnd_ == nullptr) return;
  CreateControls();
  OnSize();
  ::SetTimer(hwnd_, kTickTimer, 100, nullptr);
  taskbar_created_ = ::RegisterWindowMessageW(L"TaskbarCreated");
  drop_target_ = std::make_unique<win32::DropRegistration>(
      hwnd_, [this](DropData data) { QueueDrop(std::move(data)); });
}

PlainWindow::~PlainWindow() {
  logic_ = nullptr;
  drop_target_.reset();
  DeleteTrayIcon();
  if (hwnd_ != nullptr) {
    for (const int32_t id : hot_keys_) ::UnregisterHotKey(hwnd_, id);
    ::KillTimer(hwnd_, kTickTimer);
    ::DestroyWindow(hwnd_);  // and its boxes with it
    hwnd_ = nullptr;
  }
  if (class_ != 0) ::UnregisterClassW(kClassName, instance_);
}

LRESULT CALLBACK PlainWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<PlainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<PlainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  if (self == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
  return self->OnMessage(message, wparam, lparam);
}

LRESULT PlainWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      if (wparam != kTickTimer) break;
      Forward([](MainWindow& w) { w.Tick(); });
      return 0;
    case WM_HOTKEY:
      Forward([&](MainWindow& w) { w.OnHotKey(static_cast<int32_t>(wparam)); });
      return 0;
    case kTrayMessage:
      Forward([&](MainWindow& w) { w.OnTrayCallback(static_cast<uint32_t>(lparam)); });
      return 0;
    case WM_LBUTTONDOWN:
      Forward([](MainWindow& w) { w.OnMouseDown(MouseButton::kLeft); });
      return 0;
    case WM_MBUTTONDOWN:
      Forward([](MainWindow& w) { w.OnMouseDown(MouseButton::kMiddle); });
      return 0;
    case WM_DROPFILES:
      OnDropFiles(reinterpret_cast<HDROP>(wparam));
      return 0;
    case kDropMessage:
      DeliverDrops();
      return 0;
    case kSocketMessage:
      Forward([&](MainWindow& w) { DeliverSocketEvent(w, lparam); });
      return 0;
    case WM_SIZE:
      if (wparam == SIZE_RESTORED) OnSize();
      return 0;
    case WM_SETFOCUS:
      // Only while none of the boxes holds the focus: give it to the command box.
      ShowCommandBox();
      ::SetFocus(command_box_);
      return 0;
    case WM_KILLFOCUS:
      OnFocusLost(reinterpret_cast<HWND>(wparam));
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) == kAnswerLineId && HIWORD(wparam) == EN_SETFOCUS) {
        ::SetFocus(command_box_);  // the answer line is only read
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lparam) == answer_line_) {
        return AnswerLineColours(reinterpret_cast<HDC>(wparam));
      }
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (OnKey(wparam)) return 0;
      break;
    case WM_CLOSE:
      // The exit saves and ends the program; the window goes when the loop has ended.
      Forward([](MainWindow& w) { w.OnClose(); });
      return 0;
    case WM_ENDSESSION:
      // Windows ends the process after this returns: the exit's saving runs first.
      if (wparam != FALSE) Forward([](MainWindow& w) { w.OnClose(); });
      return 0;
    default:
      if (message == taskbar_created_ && taskbar_created_ != 0) {
        if (tray_wanted_) SendTrayIcon(NIM_ADD);
        return 0;
      }
      break;
  }
  return ::DefWindowProcW(hwnd_, message, wparam, lparam);
}

void PlainWindow::OnFocusLost(HWND next) {
  // Focus moving on to one of the window's own boxes is not a loss.
  if (next != nullptr && ::IsChild(hwnd_, next)) return;
  if (command_box_ != nullptr) ::ShowWindow(command_box_, SW_HIDE);
}

void PlainWindow::OnDropFiles(HDROP drop) {
  DropData data;
  bool read = false;
  host_.Guard([&] {
    data = win32::ReadFileDrop(drop);
    read = true;
  });
  ::DragFinish(drop);
  if (read) Forward([&](MainWindow& w) { w.OnDrop(data); });
}

void PlainWindow::QueueDrop(DropData data) {
  pending_drops_.push_back(std::move(data));
  ::PostMessageW(hwnd_, kDropMessage, 0, 0);
}

void PlainWindow::DeliverDrops() {
  while (!pending_drops_.empty()) {
    const DropData data = std::move(pending_drops_.front());
    pending_drops_.pop_front();
    Forward([&](MainWindow& w) { w.OnDrop(data); });
  }
}

}  // namespace qrx
