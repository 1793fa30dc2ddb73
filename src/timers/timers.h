// The daily timers: commands run at set minutes of the day.
#pragma once

namespace qrx {

struct Context;

// Reads the timer maps from the configuration file (settings load).
void TimerLoad(Context& ctx);

// The minute step of the main window's tick: runs the timers of every minute not yet
// examined.
void TimerMinuteStep(Context& ctx);

}  // namespace qrx
