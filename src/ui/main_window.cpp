#include "ui/main_window.h"

#include <algorithm>

#include "commands/window_events.h"
#include "core/context.h"
#include "interpreter/answer.h"
#include "interpreter/dispatcher.h"
#include "interpreter/history.h"
#include "interpreter/keys.h"
#include "ui/command_box.h"
#include "ui/skinned_layout.h"

namespace qrx {

MainWindow::MainWindow(Context& ctx, WindowSurface& surface) : ctx_(ctx), surface_(surface) {}

MainWindow::~MainWindow() = default;

void MainWindow::UseSkin(const SkinSurfaces& surfaces) {
  skin_ = std::make_unique<SkinnedLayout>(ctx_, surface_, surfaces);
}

void MainWindow::ApplySkin(std::u16string_view name, bool lasting) {
  if (!skin_) {
    ShowAnswer(ctx_, u"SKIN_NOSKINMODE", ctx_.answer.error_time);
    return;
  }
  skin_->ApplySkin(name, lasting);
}

void MainWindow::WriteAnswer(std::u16string_view text, std::u16string_view skin, int16_t time) {
  if (skin_) {
    skin_->WriteAnswer(text, skin, time);
  } else {
    ShowAnswerLine(text, time);
  }
}

void MainWindow::Unload() {
  if (skin_) skin_->Messages().Unload();
}

void MainWindow::ShowAnswerLine(std::u16string_view text, int16_t time) {
  // The countdown is 16 bits of 100 ms ticks: longer times are held at the largest that fits.
  const int16_t seconds = static_cast<int16_t>(std::clamp<int>(time, -3276, 3276));
  countdown = static_cast<int16_t>(seconds * 10);
  answer_line_ = std::u16string(text);
  surface_.ShowAnswerText(answer_line_, time);
}

void MainWindow::SetCaption(std::u16string_view caption) {
  caption_ = std::u16string(caption);
  surface_.SetCaption(caption_);
}

void MainWindow::OnEnter() {
  completer_.Reset();
  const std::u16string line = surface_.CommandText();
  RecordHistory(ctx_, line);
  RunTopLevelLine(ctx_, line);
  surface_.SetCommandText(u"");
}

void MainWindow::CountDownAnswer() {
  if (countdown > 0) --countdown;
  if (answer_line_.empty()) countdown = -2;
  if (countdown != 0) return;
  // Wipe one character from the left; a surrogate pair goes as one character.
  size_t n = 1;
  if (answer_line_.size() >= 2 && answer_line_[0] >= 0xD800 && answer_line_[0] < 0xDC00 &&
      answer_line_[1] >= 0xDC00 && answer_line_[1] < 0xE000) {
    n = 2;
  }
  answer_line_.erase(0, n);
  surface_.SetAnswerText(answer_line_);
}

void MainWindow::Tick() {
  RunTickDuties(ctx_);
}

bool MainWindow::AtRest() const {
  return countdown < 0 && TickDutiesAtRest(ctx_);
}

bool MainWindow::OnKeyDown(int32_t vk, bool shift, bool ctrl, bool alt) {
  constexpr int32_t kTab = 9, kShift = 16, kCtrl = 17, kAlt = 18, kEscape = 27;
  constexpr int32_t kLeft = 37, kUp = 38, kRight = 39, kDown = 40, kF1 = 112, kF15 = 126;
  if (vk == kTab && !ctrl && !alt) {
    bool used = true;
    RunGuarded(ctx_, [&] { used = completer_.OnTab(ctx_, surface_, shift); });
    return used;
  }
  if (vk == kEscape) return completer_.OnEscape(surface_);
  // The modifiers of a Shift+Tab come before it and do not end a completion.
  if (vk != kShift && vk != kCtrl && vk != kAlt) completer_.Reset();
  if (vk == kUp || vk == kDown) {
    RecallHistory(ctx_, vk == kUp ? 1 : -1);
    return true;
  }
  if ((vk == kLeft || vk == kRight) && alt && !shift && !ctrl) {
    RunGuarded(ctx_, [&] { ShowAnswer(ctx_, vk == kLeft ? u"KEY_BACK" : u"KEY_FORWARD", 3); });
    return false;
  }
  if (vk >= kF1 && vk <= kF15 && !shift && !ctrl && !alt) {
    // Modified function keys belong to the system-wide poll only.
    RunFunctionKeyInWindow(ctx_, vk - kF1);
  }
  return false;
}

void MainWindow::OnHotKey(int32_t id) {
  if (!services_installed || id != kActiveKeyId) return;
  surface_.RestoreWindow();
  surface_.FocusCommandBox();
}

void MainWindow::OnTrayCallback(uint32_t mouse_message) {
  constexpr uint32_t kLeftButtonDown = 0x0201;
  if (services_installed && mouse_message == kLeftButtonDown) surface_.ShowWindow();
}

void MainWindow::OnMouseDown(MouseButton button) {
  if (button == MouseButton::kLeft && ctx_.settings.move == 1) {
    surface_.BeginDrag();
  } else if (button == MouseButton::kMiddle) {
    surface_.PasteClipboardIntoCommandBox();
  }
}

void MainWindow::OnDrop(const DropData& data) {
  PasteDroppedData(ctx_, data);
}

void MainWindow::OnClose() {
  WindowClosed(ctx_);
}

void MainWindow::OnSocketReadable() {
  SocketReadable(ctx_);
}

void MainWindow::OnSocketError(int32_t code) {
  SocketFailed(ctx_, code);
}

}  // namespace qrx
