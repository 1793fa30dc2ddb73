// Standard input as lines, and the line runner's wait for its next event: input, the
// socket, or the time of the next tick.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

namespace qrx {

class InputWait {
 public:
  using Clock = std::chrono::steady_clock;
  enum class Event { kInput, kSocket, kTimeout };

  // True when Wait watches the socket itself; otherwise the caller reads the socket at
  // every tick.
  static const bool kWatchesSocket;

  InputWait();
  ~InputWait();
  InputWait(const InputWait&) = delete;
  InputWait& operator=(const InputWait&) = delete;

  // Waits until input arrived (a line, or its end) while `want_input`, the socket (an OS
  // handle, or -1 for none) has something to read, or `until` has passed. Never spins.
  Event Wait(Clock::time_point until, bool want_input, intptr_t socket);

  // The next whole line (UTF-8 decoded, a CR before the LF dropped), if one has arrived.
  std::optional<std::u16string> TakeLine();
  // The input has ended and every line has been taken.
  bool Ended();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace qrx
