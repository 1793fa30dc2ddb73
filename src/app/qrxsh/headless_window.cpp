#include "app/qrxsh/headless_window.h"

#include <iostream>

#include "base/text.h"
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

HeadlessWindow::~HeadlessWindow() {
  // The reader may be blocked on standard input; the process ends right after this.
  if (reader_.joinable()) reader_.detach();
}

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

void HeadlessWindow::ReadInput() {
  std::string bytes;
  while (std::getline(std::cin, bytes)) {
    if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    std::lock_guard lock(mutex_);
    lines_.push_back(Utf8ToUtf16(bytes));
    arrived_.notify_one();
  }
  std::lock_guard lock(mutex_);
  input_ended_ = true;
  arrived_.notify_one();
}

void HeadlessWindow::RunDueTicks() {
  const auto now = Clock::now();
  if (now < next_tick_) return;
  // After a long command, catch up with one tick instead of a burst.
  next_tick_ = now + kTick;
  if (window_ == nullptr) return;
  window_->Tick();
  if (SkinnedLayout* skin = window_->Skin()) {
    MessageWindow& balloon = skin->Messages();
    balloon.OnFollowTick();
    if (++ticks_ % 10 == 0) balloon.OnSecondTick();
  }
}

std::optional<std::u16string> HeadlessWindow::WaitForLine(
    std::optional<Clock::time_point> deadline) {
  for (;;) {
    RunDueTicks();
    std::unique_lock lock(mutex_);
    if (!lines_.empty()) {
      std::u16string line = std::move(lines_.front());
      lines_.pop_front();
      return line;
    }
    if (input_ended_) return std::nullopt;
    if (deadline && Clock::now() >= *deadline) return std::nullopt;
    auto wake = next_tick_;
    if (deadline && *deadline < wake) wake = *deadline;
    arrived_.wait_until(lock, wake);
  }
}

void HeadlessWindow::Run(Context& ctx, MainWindow& window) {
  ctx_ = &ctx;
  window_ = &window;
  next_tick_ = Clock::now() + kTick;
  reader_ = std::thread([this] { ReadInput(); });
  while (!quit_) {
    std::optional<std::u16string> line;
    try {
      line = WaitForLine(std::nullopt);
    } catch (const AppEnding&) {
      break;  // a tick's command (timer, clipboard) ended the program
    }
    if (!line) {
      // End of input closes the window, which runs the exit.
      try {
        ExitProgram(ctx, u"");
      } catch (const AppEnding&) {
      }
      break;
    }
    SetCommandText(*line);
    try {
      window.OnEnter();
    } catch (const AppEnding&) {
      break;
    }
  }
}

int HeadlessWindow::MessageBox(std::u16string_view text, std::u16string_view title, uint32_t) {
  Emit({u"MBOX", title, text});
  return 1;
}

std::optional<std::u16string> HeadlessWindow::InputBox(std::u16string_view prompt,
                                                       std::u16string_view, std::u16string_view) {
  Emit({u"INPUT", prompt});
  return WaitForLine(std::nullopt);
}

void HeadlessWindow::PumpEvents(uint32_t max_wait_ms) {
  // Only the tick runs while a command waits: input lines stay queued until it is done,
  // so a script's lines run in order.
  const auto deadline = Clock::now() + std::chrono::milliseconds(max_wait_ms);
  for (;;) {
    RunDueTicks();
    const auto now = Clock::now();
    if (now >= deadline) return;
    std::this_thread::sleep_until(std::min(deadline, next_tick_));
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
