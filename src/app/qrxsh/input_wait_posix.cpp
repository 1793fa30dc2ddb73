// POSIX: one poll() over standard input and the socket; no thread.
#ifndef _WIN32
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "app/qrxsh/input_wait.h"
#include "base/text.h"

namespace qrx {

const bool InputWait::kWatchesSocket = true;

struct InputWait::State {
  std::string partial;  // bytes of a line whose end has not arrived yet
  std::deque<std::u16string> lines;
  bool ended = false;

  void AddLine(std::string bytes) {
    if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    lines.push_back(Utf8ToUtf16(bytes));
  }

  void ReadSome() {
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) return;
      ended = true;  // unreadable input counts as ended input
    } else if (n == 0) {
      ended = true;
    } else {
      partial.append(buffer, static_cast<size_t>(n));
      size_t start = 0;
      for (size_t end; (end = partial.find('\n', start)) != std::string::npos; start = end + 1) {
        AddLine(partial.substr(start, end - start));
      }
      partial.erase(0, start);
      return;
    }
    if (!partial.empty()) AddLine(std::move(partial));
    partial.clear();
  }
};

InputWait::InputWait() : state_(std::make_unique<State>()) {}
InputWait::~InputWait() = default;

InputWait::Event InputWait::Wait(Clock::time_point until, bool want_input, intptr_t socket) {
  if (want_input && (!state_->lines.empty() || state_->ended)) return Event::kInput;
  pollfd watched[2];
  nfds_t count = 0;
  int input_slot = -1;
  int socket_slot = -1;
  if (want_input) {
    input_slot = static_cast<int>(count);
    watched[count++] = {STDIN_FILENO, POLLIN, 0};
  }
  if (socket >= 0) {
    socket_slot = static_cast<int>(count);
    watched[count++] = {static_cast<int>(socket), POLLIN, 0};
  }
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
  if (left <= 0) return Event::kTimeout;
  const int ready = ::poll(watched, count, static_cast<int>(std::min<long long>(left, 1 << 30)));
  if (ready <= 0) return Event::kTimeout;  // the time has come, or a signal interrupted
  if (input_slot >= 0 && watched[input_slot].revents != 0) {
    state_->ReadSome();
    return Event::kInput;
  }
  if (socket_slot >= 0 && watched[socket_slot].revents != 0) return Event::kSocket;
  return Event::kTimeout;
}

std::optional<std::u16string> InputWait::TakeLine() {
  if (state_->lines.empty()) return std::nullopt;
  std::u16string line = std::move(state_->lines.front());
  state_->lines.pop_front();
  return line;
}

bool InputWait::Ended() {
  return state_->ended && state_->lines.empty();
}

}  // namespace qrx
#endif
