// The state of the daily timers, owned by the context.
#pragma once

#include <string>

namespace qrx {

struct TimerState {
  std::u16string data;         // "DATA": which minutes of the day have a timer
  std::u16string once;         // "DAT1": which of them fire once
  std::u16string last_minute;  // "HH:MM" last examined by the tick
};

}  // namespace qrx
