#include "ui/win32/popup_windows.h"

#include <algorithm>

#include "ui/win32/japanese_font.h"
#include "ui/win32/wide_text.h"

namespace qrx {
namespace {

// 15.75 points: 21 pixels on a screen of 96 dots per inch.
constexpr int kTextPoints = 16;
constexpr UINT kTextFormat = DT_LEFT | DT_TOP | DT_NOPREFIX | DT_EXPANDTABS;

constexpr wchar_t kIdProperty[] = L"QuorixPopupId";

struct Creation {
  PopupWindows* self;
  int32_t id;
};

}  // namespace

PopupWindows::PopupWindows(HINSTANCE instance) : instance_(instance) {
  font_ = win32::MakeJapaneseFont(kTextPoints, true, 0);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kClassName;
  class_ = ::RegisterClassExW(&wc);
}

PopupWindows::~PopupWindows() {
  // A copy of the windows: each one leaves the list as it goes.
  std::map<int32_t, Box> open = boxes_;
  for (auto& [id, box] : open) ::DestroyWindow(box.window);
  boxes_.clear();
  if (class_ != 0) ::UnregisterClassW(kClassName, instance_);
}

SIZE PopupWindows::TextSize(const std::wstring& text) {
  SIZE size{0, 0};
  win32::ScopedWindowDc screen;
  if (screen.Get() == nullptr) return size;
  const win32::ScopedSelection font(screen.Get(), font_.Get());
  RECT r{0, 0, 0, 0};
  // An empty text still makes a box one line high, as a label does.
  const std::wstring measured = text.empty() ? L" " : text;
  ::DrawTextW(screen.Get(), measured.c_str(), static_cast<int>(measured.size()), &r,
              kTextFormat | DT_CALCRECT);
  size.cx = r.right - r.left;
  size.cy = r.bottom - r.top;
  return size;
}

PopupSurface::Size PopupWindows::MeasureBox(std::u16string_view text) {
  const SIZE text_size = TextSize(win32::Wide(text));
  RECT frame{0, 0, text_size.cx, text_size.cy};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  return Size{frame.right - frame.left, frame.bottom - frame.top};
}

PopupSurface::Size PopupWindows::ScreenSize() {
  return Size{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

int32_t PopupWindows::OpenBox(std::u16string_view text, const PopupLook& look, int32_t x,
                              int32_t y) {
  if (class_ == 0) return 0;
  const int32_t id = next_id_++;
  Box box;
  box.text = win32::Wide(text);
  box.back = RGB(look.red, look.green, look.blue);
  box.fore = look.white_text ? RGB(255, 255, 255) : RGB(0, 0, 0);
  boxes_[id] = box;
  const Size size = MeasureBox(text);
  Creation creation{this, id};
  HWND window = ::CreateWindowExW(kExStyle, kClassName, boxes_[id].text.c_str(), kStyle, x, y,
                                  size.width, size.height, nullptr, nullptr, instance_, &creation);
  if (window == nullptr) {
    boxes_.erase(id);
    return 0;
  }
  boxes_[id].window = window;
  ::ShowWindow(window, SW_SHOWNOACTIVATE);
  ::UpdateWindow(window);
  return id;
}

void PopupWindows::CloseAfter(int32_t id, int32_t ms) {
  auto it = boxes_.find(id);
  if (it == boxes_.end()) return;  // closed already (clicked)
  ::SetTimer(it->second.window, kCloseTimer, static_cast<UINT>(std::max(1, ms)), nullptr);
}

LRESULT CALLBACK PopupWindows::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* creation =
        static_cast<Creation*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->self));
    ::SetPropW(window, kIdProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(creation->id)));
  }
  auto* self = reinterpret_cast<PopupWindows*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
  const auto id = static_cast<int32_t>(reinterpret_cast<INT_PTR>(::GetPropW(window, kIdProperty)));
  if (message == WM_NCDESTROY) {
    ::RemovePropW(window, kIdProperty);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->boxes_.erase(id);
    return ::DefWindowProcW(window, message, wparam, lparam);
  }
  return self->OnMessage(window, id, message, wparam, lparam);
}

LRESULT PopupWindows::OnMessage(HWND window, int32_t id, UINT message, WPARAM wparam,
                                LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      if (wparam == kCloseTimer) {
        ::KillTimer(window, kCloseTimer);
        ::DestroyWindow(window);
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
      // Boxes without a time of their own would stay for good otherwise.
      ::DestroyWindow(window);
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      const win32::ScopedPaint paint(window);
      const HDC dc = paint.Get();
      auto it = boxes_.find(id);
      if (dc != nullptr && it != boxes_.end()) {
        RECT client{};
        ::GetClientRect(window, &client);
        const win32::ScopedBrush back(::CreateSolidBrush(it->second.back));
        ::FillRect(dc, &client, back.Get());
        const win32::ScopedSelection font(dc, font_.Get());
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, it->second.fore);
        ::DrawTextW(dc, it->second.text.c_str(), static_cast<int>(it->second.text.size()), &client,
                    kTextFormat);
      }
      return 0;
    }
    default:
      break;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace qrx
