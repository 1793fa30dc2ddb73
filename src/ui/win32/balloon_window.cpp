#include "ui/win32/balloon_window.h"

#include "ui/skinned_layout.h"
#include "ui/win32/japanese_font.h"
#include "ui/win32/wide_text.h"

namespace qrx {
namespace {

// The text box on the balloon: about 2775 x 975 twips, in pixels, and its top.
constexpr int kTextWidth = 185;
constexpr int kTextHeight = 65;
constexpr int kTextTop = 9;
constexpr int kTextPoints = 12;

}  // namespace

BalloonWindow::BalloonWindow(HINSTANCE instance, Win32UiHost& host, HWND owner,
                             std::u16string folder)
    : instance_(instance), host_(host), owner_(owner), folder_(std::move(folder)) {}

BalloonWindow::~BalloonWindow() {
  logic_ = nullptr;
  if (hwnd_ != nullptr) {
    ::KillTimer(hwnd_, kSecondTimer);
    ::KillTimer(hwnd_, kFollowTimer);
    ::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
  }
  if (class_ != 0) ::UnregisterClassW(kClassName, instance_);
}

bool BalloonWindow::Create() {
  if (tried_) return hwnd_ != nullptr;
  tried_ = true;
  std::u16string base = folder_;
  if (!base.empty() && base.back() != u'\\') base += u'\\';
  if (auto picture = win32::PictureBitmap::Load(base + kRightPicture)) {
    right_ = win32::PictureBitmap(*picture);
  }
  if (auto picture = win32::PictureBitmap::Load(base + kLeftPicture)) {
    left_ = win32::PictureBitmap(*picture);
  }
  if (right_) {
    width_ = right_.width();
    height_ = right_.height();
  }
  font_ = win32::MakeJapaneseFont(kTextPoints, true, 0);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kClassName;
  class_ = ::RegisterClassExW(&wc);
  if (class_ == 0) return false;
  ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, L"", WS_POPUP,
                    0, 0, width_, height_, owner_, nullptr, instance_, this);
  if (hwnd_ == nullptr) return false;
  ::SetTimer(hwnd_, kSecondTimer, 1000, nullptr);
  ::SetTimer(hwnd_, kFollowTimer, 100, nullptr);
  return true;
}

int32_t BalloonWindow::Width() {
  Create();
  return width_;
}

WindowRect BalloonWindow::WorkArea() {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (::GetMonitorInfoW(::MonitorFromWindow(owner_, MONITOR_DEFAULTTONEAREST), &info)) {
    return WindowRect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
  }
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return WindowRect{work.left, work.top, work.right, work.bottom};
}

void BalloonWindow::SetText(std::u16string_view text, int16_t) {
  if (!Create()) return;
  text_ = win32::Wide(text);
  // Also the window's own text, for programs that read windows aloud.
  ::SetWindowTextW(hwnd_, text_.c_str());
  ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void BalloonWindow::Place(const BalloonPlace& place) {
  if (!Create()) return;
  on_right_ = place.right;
  text_left_ = place.text_left;
  const win32::PictureBitmap& picture = on_right_ ? right_ : left_;
  if (picture) win32::SetLayered(hwnd_, picture.top_left(), 0, LWA_COLORKEY);
  ::SetWindowPos(hwnd_, HWND_TOPMOST, place.x, place.y, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  ::InvalidateRect(hwnd_, nullptr, FALSE);
}

void BalloonWindow::Show() {
  if (!Create()) return;
  ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
  ::UpdateWindow(hwnd_);
}

void BalloonWindow::Hide(bool) {
  if (hwnd_ != nullptr) ::ShowWindow(hwnd_, SW_HIDE);
}

bool BalloonWindow::IsVisible() {
  return hwnd_ != nullptr && ::IsWindowVisible(hwnd_);
}

template <typename Work>
void BalloonWindow::Forward(Work&& work) {
  if (logic_ == nullptr) return;
  host_.Guard([&] {
    if (SkinnedLayout* skin = logic_->Skin()) work(skin->Messages());
  });
}

LRESULT CALLBACK BalloonWindow::WindowProc(HWND window, UINT message, WPARAM wparam,
                                           LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self =
        static_cast<BalloonWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->hwnd_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<BalloonWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  if (self == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
  return self->OnMessage(message, wparam, lparam);
}

LRESULT BalloonWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_TIMER:
      if (wparam == kSecondTimer) {
        Forward([](MessageWindow& m) { m.OnSecondTick(); });
      } else if (wparam == kFollowTimer) {
        Forward([](MessageWindow& m) { m.OnFollowTick(); });
      }
      return 0;
    case WM_LBUTTONDBLCLK:
      Forward([](MessageWindow& m) { m.OnDoubleClick(); });
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint();
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd_, message, wparam, lparam);
}

void BalloonWindow::Paint() {
  const win32::ScopedPaint paint(hwnd_);
  const HDC dc = paint.Get();
  if (dc == nullptr) return;
  const win32::PictureBitmap& picture = on_right_ ? right_ : left_;
  if (picture) {
    picture.Draw(dc, 0, 0);
  } else {
    // No balloon picture beside the program: a plain white box with a frame.
    RECT all{0, 0, width_, height_};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::FrameRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  }
  RECT box{text_left_, kTextTop, text_left_ + kTextWidth, kTextTop + kTextHeight};
  const win32::ScopedSelection font(dc, font_.Get());
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(0, 0, 0));
  ::DrawTextW(dc, text_.c_str(), static_cast<int>(text_.size()), &box,
              DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
}

}  // namespace qrx
