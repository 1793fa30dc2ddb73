// The host as the program's own code reaches it (`Context::ui`): every box that waits for the
// user counts as a question open, so that lines a peer sends meanwhile wait for the answer
// instead of running inside the box (where they could ask a question of their own and take
// the user's reply).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace qrx {

class AskingHost;

// Marks the user as being asked for as long as it lives: a box of the host, or a file
// operation of the system's shell, which asks with dialogs of its own.
class QuestionOpen {
 public:
  explicit QuestionOpen(AskingHost& host);
  ~QuestionOpen();
  QuestionOpen(const QuestionOpen&) = delete;
  QuestionOpen& operator=(const QuestionOpen&) = delete;

 private:
  AskingHost& host_;
};

class AskingHost final : public UiHost {
 public:
  explicit AskingHost(UiHost& host) : host_(host) {}

  // True while a box (or a question of the shell) waits for the user.
  bool Asking() const { return questions_open_ > 0; }

  int MessageBox(std::u16string_view text, std::u16string_view title, uint32_t style) override {
    QuestionOpen open(*this);
    return host_.MessageBox(text, title, style);
  }
  std::optional<std::u16string> InputBox(std::u16string_view prompt, std::u16string_view title,
                                         std::u16string_view initial) override {
    QuestionOpen open(*this);
    return host_.InputBox(prompt, title, initial);
  }
  void PumpEvents(uint32_t max_wait_ms) override { host_.PumpEvents(max_wait_ms); }
  void ShowPopup(std::u16string_view text, int16_t time) override { host_.ShowPopup(text, time); }
  void Quit() override { host_.Quit(); }
  void WatchSocket(UdpSocket& socket) override { host_.WatchSocket(socket); }

 private:
  friend class QuestionOpen;
  UiHost& host_;
  int questions_open_ = 0;
};

inline QuestionOpen::QuestionOpen(AskingHost& host) : host_(host) {
  ++host_.questions_open_;
}
inline QuestionOpen::~QuestionOpen() {
  --host_.questions_open_;
}

}  // namespace qrx
