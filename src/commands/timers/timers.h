// The daily timers: commands run at set minutes of the day, every day or once.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/command_entry.h"

namespace qrx {

// What TimerSet did.
inline constexpr int16_t kTimerRemoved = 0;
inline constexpr int16_t kTimerAdded = 1;
inline constexpr int16_t kTimerInvalidTime = 2;

// What TimerCheck found for a minute.
inline constexpr int16_t kTimerNotDue = 0;
inline constexpr int16_t kTimerDueDaily = 1;
inline constexpr int16_t kTimerDueOnce = 2;

// "SET TIMER time command" (daily) and "SET TIMER1 time command" (once): adds the command,
// or removes the minute's entry when the command is empty; answers with the row's stem and
// "-ADD", "-DEL" or "-ERR" (a time that is not valid).
void SetDailyTimer(Context& ctx, const SetCall& call);
void SetOnceTimer(Context& ctx, const SetCall& call);

// Adds the command at the minute of `time` (a one-shot entry when `once`), or removes the
// minute's entry when the command is empty, and writes the change to the configuration
// file. Returns kTimerAdded, kTimerRemoved or kTimerInvalidTime (nothing changed).
// `saved` (when given) becomes false when the file refused a write; an added command that
// the file refuses leaves the maps unmarked, so no minute points at a command never stored.
int16_t TimerSet(Context& ctx, std::u16string_view time, std::u16string_view command, bool once,
                 bool* saved = nullptr);

// Whether the minute "HH:MM" has an entry: kTimerNotDue, kTimerDueDaily or kTimerDueOnce,
// with the stored command for the last two.
int16_t TimerCheck(Context& ctx, std::u16string_view time, std::u16string& command);

// The minute step of the main window's tick: runs the entry of a minute not yet examined.
// The minutes a timer command covers while it runs are skipped afterwards, and ticks nested
// inside it start nothing.
void TimerMinuteStep(Context& ctx);

}  // namespace qrx
