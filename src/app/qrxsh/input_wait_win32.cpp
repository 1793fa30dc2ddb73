// Windows: standard input cannot be waited for together with a socket, so a reader thread
// queues its lines and the tick reads the socket.
#ifdef _WIN32
#include <condition_variable>
#include <iostream>
#include <mutex>
#include <thread>

#include "app/qrxsh/input_wait.h"
#include "base/text.h"

namespace qrx {

const bool InputWait::kWatchesSocket = false;

struct InputWait::State {
  std::mutex mutex;
  std::condition_variable arrived;
  std::deque<std::u16string> lines;
  bool ended = false;
  std::thread reader;

  void Read() {
    std::string bytes;
    while (std::getline(std::cin, bytes)) {
      if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
      std::lock_guard lock(mutex);
      lines.push_back(Utf8ToUtf16(bytes));
      arrived.notify_one();
    }
    std::lock_guard lock(mutex);
    ended = true;
    arrived.notify_one();
  }
};

InputWait::InputWait() : state_(std::make_unique<State>()) {
  state_->reader = std::thread([s = state_.get()] { s->Read(); });
}

InputWait::~InputWait() {
  // The reader may be blocked on standard input; the process ends right after this.
  if (state_->reader.joinable()) state_->reader.detach();
  (void)state_.release();  // the detached reader still uses it
}

InputWait::Event InputWait::Wait(Clock::time_point until, bool want_input, intptr_t) {
  std::unique_lock lock(state_->mutex);
  if (!want_input) {
    lock.unlock();
    std::this_thread::sleep_until(until);
    return Event::kTimeout;
  }
  const bool input = state_->arrived.wait_until(
      lock, until, [&] { return !state_->lines.empty() || state_->ended; });
  return input ? Event::kInput : Event::kTimeout;
}

std::optional<std::u16string> InputWait::TakeLine() {
  std::lock_guard lock(state_->mutex);
  if (state_->lines.empty()) return std::nullopt;
  std::u16string line = std::move(state_->lines.front());
  state_->lines.pop_front();
  return line;
}

bool InputWait::Ended() {
  std::lock_guard lock(state_->mutex);
  return state_->ended && state_->lines.empty();
}

}  // namespace qrx
#endif
