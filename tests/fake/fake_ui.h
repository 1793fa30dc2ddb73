// A scripted user interface for the unit tests: records message boxes, answers and captions,
// replies to input boxes from a queue, and lets the fake clock run while a command "waits".
#pragma once

#include <algorithm>
#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/window_surface.h"
#include "fake/fake_platform.h"
#include "platform/platform.h"

namespace qrx::test {

inline std::array<int32_t, 4> Corners(const WindowRect& r) {
  return {r.left, r.top, r.right, r.bottom};
}

class FakeUi : public UiHost, public WindowSurface {
 public:
  explicit FakeUi(FakePlatform& os) : os_(os) {}

  struct Box {
    std::u16string text, title;
    uint32_t style;
  };
  struct Answer {
    std::u16string text;
    int16_t time;
  };

  std::vector<Box> boxes;
  std::vector<std::u16string> prompts;
  std::deque<std::optional<std::u16string>> input_replies;  // empty queue: Cancel
  std::deque<bool> yes_no_replies;                          // empty queue: No
  std::deque<int> button_replies;  // before yes_no_replies: the button's id (yes to all ...)
  std::vector<Answer> answers, popups;
  std::vector<std::u16string> captions;
  std::u16string command;
  size_t caret = 0;  // in `command`
  bool visible = false, minimized = false, quit = false;
  UdpSocket* watched_socket = nullptr;
  // Runs while a box is open, as the host's events do (a datagram, a tick).
  std::function<void()> while_box_open;

  int MessageBox(std::u16string_view text, std::u16string_view title, uint32_t style) override {
    boxes.push_back({std::u16string(text), std::u16string(title), style});
    if (while_box_open) while_box_open();
    const uint32_t buttons = style & 0xF;
    if (buttons != mb::kYesNo && buttons != mb::kYesAllNoCancel) return 1;
    if (auto reply = Next(button_replies)) return *reply;
    return Next(yes_no_replies).value_or(false) ? mb::kIdYes : mb::kIdNo;
  }
  std::optional<std::u16string> InputBox(std::u16string_view prompt, std::u16string_view,
                                         std::u16string_view) override {
    prompts.emplace_back(prompt);
    if (while_box_open) while_box_open();
    return Next(input_replies).value_or(std::nullopt);
  }
  void PumpEvents(uint32_t max_wait_ms) override { os_.tick += max_wait_ms; }
  void ShowPopup(std::u16string_view text, int16_t time) override {
    popups.push_back({std::u16string(text), time});
  }
  void Quit() override { quit = true; }
  void WatchSocket(UdpSocket& socket) override { watched_socket = &socket; }

  void SetCaption(std::u16string_view caption) override { captions.emplace_back(caption); }
  void ShowAnswerText(std::u16string_view t, int16_t time) override {
    answers.push_back({std::u16string(t), time});
  }
  void SetAnswerText(std::u16string_view) override {}
  std::u16string CommandText() override { return command; }
  void SetCommandText(std::u16string_view text) override { PutCommandText(text, text.size()); }
  size_t CommandCaret() override { return std::min(caret, command.size()); }
  void PutCommandText(std::u16string_view text, size_t at) override { command = text, caret = at; }
  void ShowWindow() override { RestoreWindow(); }
  void HideWindow() override { visible = false; }
  void MinimizeWindow() override { minimized = true; }
  bool IsWindowVisible() override { return visible; }
  intptr_t NativeHandle() override { return 0x1234; }
  void RestoreWindow() override { visible = true, minimized = false; }
  WindowRect NormalRect() override { return rect; }
  void MoveWindowTo(int32_t x, int32_t y) override { rect = MovedTo(rect, x, y); }
  void SetWindowWidth(int32_t pixels) override {
    rect.right = HoldCoordinate(int64_t{rect.left} + pixels);
  }
  int32_t TwipsPerPixelX() override { return 15; }
  void FocusCommandBox() override { ++focus_requests; }
  // The paste message inserts the clipboard text at the caret (here: at the end).
  void PasteClipboardIntoCommandBox() override { command += os_.clipboard.value_or(u""); }
  void InsertIntoCommandBox(std::u16string_view text) override {
    command.insert(CommandCaret(), text);
    caret = CommandCaret() + text.size();
  }
  bool RegisterHotKey(int32_t id, uint32_t, uint32_t) override {
    if (!hot_key_taken) hot_keys.push_back(id);
    return !hot_key_taken;
  }
  void UnregisterHotKey(int32_t id) override { hot_keys.push_back(-id); }
  bool AddTrayIcon(std::u16string_view tooltip) override {
    if (!tray_fails) tray = std::u16string(tooltip);
    return !tray_fails;
  }
  void SetTrayTooltip(std::u16string_view tooltip) override {
    if (tray) tray = std::u16string(tooltip);
  }
  void DeleteTrayIcon() override { tray.reset(); }
  void BeginDrag() override { ++drags; }

  WindowRect rect{100, 200, 387, 287};
  int focus_requests = 0, drags = 0;
  std::vector<int32_t> hot_keys;  // ids registered; negative: unregistered
  bool hot_key_taken = false;     // another program holds every combination
  std::optional<std::u16string> tray;
  bool tray_fails = false;

  // The text of the last answer, or "(none)".
  std::u16string LastAnswer() const { return answers.empty() ? u"(none)" : answers.back().text; }

 private:
  template <class T>
  static std::optional<T> Next(std::deque<T>& queue) {
    if (queue.empty()) return std::nullopt;
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
  }
  FakePlatform& os_;
};

}  // namespace qrx::test
