// The message balloon of the skinned window on Win32: a small window always on top that
// never takes the focus, drawn with the balloon picture of its side and the answer text on
// it. The balloon pictures are files beside the program; without them it is a plain box.
#pragma once

#include "platform/win32/win32_api.h"

#include <string>

#include "platform/win32/scoped_win.h"
#include "ui/main_window.h"
#include "ui/skin_surfaces.h"
#include "ui/win32/skin_drawing.h"
#include "ui/win32/ui_host.h"

namespace qrx {

class BalloonWindow : public BalloonSurface {
 public:
  // What programs that look at the window from outside rely on.
  static constexpr wchar_t kClassName[] = L"QuorixBalloon";
  static constexpr char16_t kRightPicture[] = u"BALLOON_R.BMP";  // the balloon on the right
  static constexpr char16_t kLeftPicture[] = u"BALLOON_L.BMP";   // the balloon on the left

  // `owner`: the main window; `folder`: where the balloon pictures are.
  BalloonWindow(HINSTANCE instance, Win32UiHost& host, HWND owner, std::u16string folder);
  ~BalloonWindow() override;
  BalloonWindow(const BalloonWindow&) = delete;
  BalloonWindow& operator=(const BalloonWindow&) = delete;

  // The font `text` is drawn in: the designed one, or a smaller one for a text that needs it.
  static win32::ScopedFont FitFont(const std::wstring& text);
  // The pixels `text` takes down the text box in `font`, its last line's descenders included;
  // the box is kTextHeight high.
  static int TextHeight(HFONT font, const std::wstring& text);
  static constexpr int kTextHeight = 65;

  // The logic that the balloon's events go to (its skinned layout's message window).
  void Attach(MainWindow* logic) { logic_ = logic; }

  int32_t Width() override;
  WindowRect WorkArea() override;
  void SetText(std::u16string_view text, int16_t time) override;
  void Place(const BalloonPlace& place) override;
  void Show() override;
  void Hide(bool by_answer) override;
  bool IsVisible() override;

 private:
  static constexpr UINT_PTR kSecondTimer = 1;
  static constexpr UINT_PTR kFollowTimer = 2;

  // The window comes with its first use: a plain window never needs one.
  bool Create();
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint();
  template <typename Work>
  void Forward(Work&& work);

  HINSTANCE instance_;
  Win32UiHost& host_;
  HWND owner_;
  std::u16string folder_;
  MainWindow* logic_ = nullptr;
  ATOM class_ = 0;
  HWND hwnd_ = nullptr;
  bool tried_ = false;
  win32::PictureBitmap right_;
  win32::PictureBitmap left_;
  win32::ScopedFont font_;  // FitFont of the current text
  int32_t width_ = 222;
  int32_t height_ = 84;
  bool on_right_ = true;
  int32_t text_left_ = 28;
  std::wstring text_;
};

}  // namespace qrx
