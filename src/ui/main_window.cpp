#include "ui/main_window.h"

#include <algorithm>

#include "interpreter/dispatcher.h"
#include "interpreter/history.h"
#include "startup/context.h"

namespace qrx {

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
  const std::u16string line = surface_.CommandText();
  RecordHistory(ctx_, line);
  RunTopLevelLine(ctx_, line);
  surface_.SetCommandText(u"");
}

void MainWindow::Tick() {
  if (countdown > 0) --countdown;
  if (answer_line_.empty()) countdown = -2;
  if (countdown == 0) {
    // Wipe one character from the left; a surrogate pair goes as one character.
    size_t n = 1;
    if (answer_line_.size() >= 2 && answer_line_[0] >= 0xD800 && answer_line_[0] < 0xDC00 &&
        answer_line_[1] >= 0xDC00 && answer_line_[1] < 0xE000) {
      n = 2;
    }
    answer_line_.erase(0, n);
    surface_.SetAnswerText(answer_line_);
  }
}

}  // namespace qrx
