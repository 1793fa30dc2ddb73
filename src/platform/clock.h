// The clock: the tick count that drives the timers and the local date and time.
#pragma once

#include <cstdint>

namespace qrx {

struct LocalTime {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // The multimedia clock: milliseconds since the system started; wraps after ~49.7 days.
  virtual uint32_t TickCount() = 0;
  virtual LocalTime Now() = 0;
  // Seconds since 1970-01-01 00:00 UTC: the clock two machines compare.
  virtual int64_t UnixTime() = 0;
};

}  // namespace qrx
