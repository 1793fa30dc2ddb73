#include "app/qrxsh/headless_window.h"

#include <algorithm>
#include <cinttypes>

#include "base/text.h"
#include "commands/net/link_receive.h"
#include "commands/shell/exit_commands.h"
#include "core/context.h"
#include "interpreter/dispatcher.h"
#include "ui/main_window.h"
#include "ui/skinned_layout.h"

namespace qrx {

namespace {
constexpr auto kTick = std::chrono::milliseconds(100);
}

std::string EscapeField(std::u16string_view text) {
  std::u16string escaped;
  for (const char16_t c : text) {
    switch (c) {
      case u'\\':
        escaped += u"\\\\";
        break;
      case u'\t':
        escaped += u"\\t";
        break;
      case u'\r':
        escaped += u"\\r";
        break;
      case u'\n':
        escaped += u"\\n";
        break;
      default:
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) {
          static constexpr char16_t kHex[] = u"0123456789ABCDEF";
          escaped += u"\\x";
          escaped += kHex[(c >> 4) & 0xF];
          escaped += kHex[c & 0xF];
        } else {
          escaped += c;
        }
    }
  }
  return Utf16ToUtf8(escaped);
}

HeadlessWindow::HeadlessWindow(std::FILE* out, Platform& os) : out_(out), os_(os) {}

void HeadlessWindow::Emit(std::initializer_list<std::u16string_view> fields) {
  std::string line;
  for (auto f : fields) {
    if (!line.empty()) line += '\t';
    line += EscapeField(f);
  }
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), out_);
  std::fflush(out_);
}

void HeadlessWindow::RunDueTicks() {
  const auto now = Clock::now();
  if (now < next_tick_) return;
  // After a long command, catch up with one tick instead of a burst.
  next_tick_ = now + kTick;
  if (window_ == nullptr) return;
  if (tick_log_ != nullptr) {
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(now.time_since_epoch());
    std::fprintf(tick_log_, "%" PRId64 ".%03d\n", static_cast<int64_t>(us.count() / 1000),
                 static_cast<int>(us.count() % 1000));
    std::fflush(tick_log_);
  }
  window_->Tick();
  if (SkinnedLayout* skin = window_->Skin()) {
    MessageWindow& balloon = skin->Messages();
    balloon.OnFollowTick();
    if (++ticks_ % 10 == 0) balloon.OnSecondTick();
  }
  // Where the socket cannot be waited for beside the input, the tick takes its datagrams.
  if (!InputWait::kWatchesSocket && socket_ != nullptr) window_->OnSocketReadable();
}

intptr_t HeadlessWindow::SocketToWatch() const {
  if (!InputWait::kWatchesSocket || socket_ == nullptr || window_ == nullptr) return -1;
  return DatagramShareLeft(*ctx_) ? socket_->NativeHandle() : -1;
}

void HeadlessWindow::WaitForEvent(Clock::time_point until, bool want_input) {
  if (input_.Wait(until, want_input, SocketToWatch()) == InputWait::Event::kSocket) {
    window_->OnSocketReadable();
  }
}

std::optional<std::u16string> HeadlessWindow::WaitForLine(
    std::optional<Clock::time_point> deadline) {
  for (;;) {
    RunDueTicks();
    if (auto line = input_.TakeLine()) return line;
    if (input_.Ended()) return std::nullopt;
    if (deadline && Clock::now() >= *deadline) return std::nullopt;
    WaitForEvent(deadline ? std::min(*deadline, next_tick_) : next_tick_, true);
  }
}

void HeadlessWindow::Run(Context& ctx, MainWindow& window) {
  ctx_ = &ctx;
  window_ = &window;
  next_tick_ = Clock::now() + kTick;
  try {
    while (!quit_) {
      std::optional<std::u16string> line = WaitForLine(std::nullopt);
      if (!line) {
        // End of input closes the window, which runs the exit.
        ExitProgram(ctx, u"");
        break;
      }
      // Trailing TABs are Tab pressed that many times at the end of the text, not Enter.
      const size_t text_end = line->find_last_not_of(u'\t') + 1;
      SetCommandText(std::u16string_view(*line).substr(0, text_end));
      if (text_end == line->size()) {
        window.OnEnter();
        continue;
      }
      constexpr int32_t kTab = 9;
      for (size_t i = text_end; i < line->size(); ++i) window.OnKeyDown(kTab, false, false, false);
      Emit({u"BOX", command_});
    }
  } catch (const AppEnding&) {
    // The exit, from a typed line, a received one or the end of input.
  }
}

int HeadlessWindow::MessageBox(std::u16string_view text, std::u16string_view title,
                               uint32_t style) {
  const uint32_t buttons = style & 0xF;
  if (buttons == mb::kYesNo || buttons == mb::kYesAllNoCancel) {
    // The next input line is the answer: "y" or "yes" in any case is Yes (with the file
    // question's choices also "a"/"all" and "c"/"cancel"); anything else, and the end of
    // input, is No.
    Emit({u"QUESTION", title, text});
    const std::optional<std::u16string> line = WaitForLine(std::nullopt);
    std::u16string_view reply = line ? std::u16string_view(*line) : std::u16string_view();
    while (!reply.empty() && (reply.front() == u' ' || reply.front() == u'\t')) {
      reply.remove_prefix(1);
    }
    while (!reply.empty() && (reply.back() == u' ' || reply.back() == u'\t')) {
      reply.remove_suffix(1);
    }
    const std::u16string word = UpperCase(reply);
    if (word == u"Y" || word == u"YES") return mb::kIdYes;
    if (buttons == mb::kYesAllNoCancel && (word == u"A" || word == u"ALL")) return mb::kIdYesToAll;
    if (buttons == mb::kYesAllNoCancel && (word == u"C" || word == u"CANCEL")) return mb::kIdCancel;
    return mb::kIdNo;
  }
  Emit({u"MBOX", title, text});
  return 1;
}

std::optional<std::u16string> HeadlessWindow::InputBox(std::u16string_view prompt,
                                                       std::u16string_view, std::u16string_view) {
  Emit({u"INPUT", prompt});
  return WaitForLine(std::nullopt);
}

void HeadlessWindow::PumpEvents(uint32_t max_wait_ms) {
  // The tick and the socket go on while a command waits; input lines stay queued until it
  // is done, so a script's lines run in order.
  const auto deadline = Clock::now() + std::chrono::milliseconds(max_wait_ms);
  for (;;) {
    RunDueTicks();
    if (Clock::now() >= deadline) return;
    WaitForEvent(std::min(deadline, next_tick_), false);
  }
}

void HeadlessWindow::MoveWindowTo(int32_t x, int32_t y) {
  rect_ = MovedTo(rect_, x, y);
}

void HeadlessWindow::ShowPopup(std::u16string_view text, int16_t time) {
  Emit({u"POPUP", Decimal(time), text});
}

void HeadlessWindow::SetCaption(std::u16string_view caption) {
  if (caption_shown_ && caption == caption_) return;
  caption_ = std::u16string(caption);
  caption_shown_ = true;
  Emit({u"CAPTION", caption_});
}

void HeadlessWindow::ShowAnswerText(std::u16string_view text, int16_t time) {
  Emit({u"ANSWER", Decimal(time), text});
}

std::optional<PictureSize> HeadlessWindow::LoadPicture(std::u16string_view path) {
  if (!os_.ReadFile(path)) return std::nullopt;
  picture_ = std::u16string(path);
  return PictureSize{};
}

void HeadlessWindow::ShowPicture(const SkinLayout& layout) {
  rect_.right = rect_.left + layout.width;
  rect_.bottom = rect_.top + layout.height;
  Emit({u"SKIN", picture_});
}

void HeadlessWindow::SetText(std::u16string_view text, int16_t time) {
  Emit({u"BALLOON", Decimal(time), text});
}

void HeadlessWindow::Hide(bool by_answer) {
  balloon_visible_ = false;
  if (by_answer) Emit({u"BALLOON", u"-2", u""});
}

}  // namespace qrx
