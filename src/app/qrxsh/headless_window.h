// The line runner's main window: no pixels, just standard input and output.
//
// Input lines are typed into the command box and confirmed with Enter; everything the user
// would see is written to standard output as one event per line (see docs/qrxsh.md).
#pragma once

#include <chrono>
#include <cstdio>
#include <optional>
#include <algorithm>
#include <string>

#include "app/qrxsh/input_wait.h"
#include "core/window_surface.h"
#include "platform/platform.h"
#include "ui/skin_surfaces.h"

namespace qrx {

class MainWindow;
struct Context;

class HeadlessWindow : public UiHost,
                       public WindowSurface,
                       public SkinSurface,
                       public BalloonSurface {
 public:
  HeadlessWindow(std::FILE* out, Platform& os);

  // Runs until the input ends (then the window is closed) or the program exits.
  void Run(Context& ctx, MainWindow& window);

  // UiHost
  int MessageBox(std::u16string_view text, std::u16string_view title, uint32_t style) override;
  std::optional<std::u16string> InputBox(std::u16string_view prompt, std::u16string_view title,
                                         std::u16string_view initial) override;
  void PumpEvents(uint32_t max_wait_ms) override;
  void ShowPopup(std::u16string_view text, int16_t time) override;
  void Quit() override { quit_ = true; }
  void WatchSocket(UdpSocket& socket) override { socket_ = &socket; }

  // Writes the time of every tick (milliseconds of the steady clock) to the file, one a line.
  void LogTicksTo(std::FILE* file) { tick_log_ = file; }

  // WindowSurface
  void SetCaption(std::u16string_view caption) override;
  void ShowAnswerText(std::u16string_view text, int16_t time) override;
  void SetAnswerText(std::u16string_view) override {}
  std::u16string CommandText() override { return command_; }
  void SetCommandText(std::u16string_view text) override { PutCommandText(text, text.size()); }
  size_t CommandCaret() override { return caret_; }
  void PutCommandText(std::u16string_view text, size_t caret) override {
    command_ = std::u16string(text);
    caret_ = std::min(caret, command_.size());
  }
  void ShowWindow() override { visible_ = true; }
  void HideWindow() override { visible_ = false; }
  void MinimizeWindow() override {}
  bool IsWindowVisible() override { return visible_; }
  intptr_t NativeHandle() override { return 0; }
  void RestoreWindow() override { visible_ = true; }
  WindowRect NormalRect() override { return rect_; }
  void MoveWindowTo(int32_t x, int32_t y) override;
  void SetWindowWidth(int32_t pixels) override {
    rect_.right = HoldCoordinate(int64_t{rect_.left} + pixels);
  }
  int32_t TwipsPerPixelX() override { return 15; }
  void FocusCommandBox() override {}
  void PasteClipboardIntoCommandBox() override {}
  void InsertIntoCommandBox(std::u16string_view text) override {
    command_.insert(caret_, text);
    caret_ += text.size();
  }
  // Without a desktop there is no hot key and no notification area to ask: the line runner
  // takes both as granted, so that it does not report a failure at every start.
  bool RegisterHotKey(int32_t, uint32_t, uint32_t) override { return true; }
  void UnregisterHotKey(int32_t) override {}
  bool AddTrayIcon(std::u16string_view) override { return true; }
  void SetTrayTooltip(std::u16string_view) override {}
  void DeleteTrayIcon() override {}
  void BeginDrag() override {}

  // SkinSurface: pictures are not decoded; one loads when its file can be read.
  std::optional<PictureSize> LoadPicture(std::u16string_view path) override;
  void ShowPicture(const SkinLayout& layout) override;
  WindowRect OuterRect() override { return rect_; }

  // BalloonSurface
  int32_t Width() override { return 222; }
  WindowRect WorkArea() override { return WindowRect{0, 0, 1280, 1024}; }
  void SetText(std::u16string_view text, int16_t time) override;
  void Place(const BalloonPlace&) override { balloon_visible_ = true; }
  void Show() override { balloon_visible_ = true; }
  void Hide(bool by_answer) override;
  bool IsVisible() override { return balloon_visible_; }

 private:
  using Clock = std::chrono::steady_clock;

  void Emit(std::initializer_list<std::u16string_view> fields);
  // Waits until a line arrives, the input ends or `deadline` passes; runs due ticks.
  // Returns the line, or nothing (end of input or deadline).
  std::optional<std::u16string> WaitForLine(std::optional<Clock::time_point> deadline);
  void RunDueTicks();
  // Waits until `until` for input (when `want_input`) or the socket; takes what the socket has.
  void WaitForEvent(Clock::time_point until, bool want_input);
  // The socket's handle while its datagrams are to be taken now, else -1.
  intptr_t SocketToWatch() const;

  std::FILE* out_;
  Platform& os_;
  Context* ctx_ = nullptr;
  MainWindow* window_ = nullptr;
  std::u16string command_;
  size_t caret_ = 0;
  std::u16string caption_;
  bool caption_shown_ = false;
  bool visible_ = false;
  // The plain window's size at 96 dots per inch: client 4185 x 840 twips plus a frame.
  WindowRect rect_{0, 0, 287, 87};
  bool quit_ = false;
  Clock::time_point next_tick_;
  std::FILE* tick_log_ = nullptr;
  int ticks_ = 0;  // the balloon counts seconds: every tenth tick
  std::u16string picture_;
  bool balloon_visible_ = false;

  InputWait input_;
  UdpSocket* socket_ = nullptr;
};

// C-style escaping of one field: \\ \t \r \n and \xHH for other control characters.
std::string EscapeField(std::u16string_view text);

}  // namespace qrx
