// The state of the daily timers, owned by the context.
#pragma once

#include <cstddef>
#include <string>

namespace qrx {

// Each map holds one character per six minutes of the day; "#" marks none of them.
inline constexpr size_t kTimerMapLength = 240;

struct TimerState {
  std::u16string data = std::u16string(kTimerMapLength, u'#');  // "DATA": minutes with a timer
  std::u16string once = std::u16string(kTimerMapLength, u'#');  // "DAT1": those that fire once
  std::u16string last_minute;  // "HH:MM" last examined by the tick; empty at start-up
  bool running = false;        // the tick's minute step is running a timer command
};

}  // namespace qrx
