#include "commands/timers/timers.h"

#include <optional>

#include "base/text.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "core/timer_map.h"
#include "interpreter/answer.h"
#include "interpreter/dispatcher.h"
#include "interpreter/split.h"

namespace qrx {
namespace {

constexpr char16_t kSection[] = u"TIMER";

// Stops at the first refused write: each refusal shows its own warning box.
bool WriteMaps(Context& ctx) {
  return WriteIni(ctx, kSection, u"DATA", ctx.timers.data, ctx.paths.config) &&
         WriteIni(ctx, kSection, u"DAT1", ctx.timers.once, ctx.paths.config);
}

std::u16string CurrentMinute(Context& ctx) {
  const LocalTime now = ctx.os.Now();
  return MinuteText(now.hour * 60 + now.minute);
}

void ExamineMinute(Context& ctx, const std::u16string& minute) {
  std::u16string command;
  const int16_t due = TimerCheck(ctx, minute, command);
  if (due == kTimerNotDue) return;
  const auto remove_once = [&] {
    if (due == kTimerDueOnce) TimerSet(ctx, minute, u"", false);
  };
  try {
    RunTopLevelLine(ctx, command);
  } catch (const AppEnding&) {
    // A one-shot command that ends the program must not run again at the next start.
    remove_once();
    throw;
  }
  remove_once();
}

class RunningScope {
 public:
  explicit RunningScope(TimerState& timers) : timers_(timers) { timers_.running = true; }
  ~RunningScope() { timers_.running = false; }
  RunningScope(const RunningScope&) = delete;
  RunningScope& operator=(const RunningScope&) = delete;

 private:
  TimerState& timers_;
};

void SetTimer(Context& ctx, const SetCall& call, bool once) {
  const auto fields = SplitArguments(call.value, 1);
  bool saved = true;
  const int16_t result = TimerSet(ctx, fields[0], fields[1], once, &saved);
  ctx.answer.params[0] = fields[0];
  ctx.answer.params[1] = fields[1];
  const std::u16string stem(call.answer);
  if (result == kTimerInvalidTime) {
    ShowAnswer(ctx, stem + u"-ERR", ctx.answer.error_time);
  } else if (!saved) {
    ShowSaveRefused(ctx);
  } else {
    ShowAnswer(ctx, stem + (result == kTimerAdded ? u"-ADD" : u"-DEL"), ctx.answer.normal_time);
  }
}

}  // namespace

void SetDailyTimer(Context& ctx, const SetCall& call) {
  SetTimer(ctx, call, false);
}

void SetOnceTimer(Context& ctx, const SetCall& call) {
  SetTimer(ctx, call, true);
}

int16_t TimerSet(Context& ctx, std::u16string_view time, std::u16string_view command, bool once,
                 bool* saved) {
  const std::optional<int> minute = TimerMinute(time);
  if (!minute) return kTimerInvalidTime;
  const std::u16string key = Decimal(*minute);
  bool ok = false;
  int16_t result = kTimerRemoved;
  if (!command.empty()) {
    result = kTimerAdded;
    ok = WriteIniText(ctx, kSection, key, command, ctx.paths.config);
    if (ok) {
      SetTimerMapBit(ctx.timers.data, *minute, true);
      if (once) SetTimerMapBit(ctx.timers.once, *minute, true);
      ok = WriteMaps(ctx);
    }
  } else {
    SetTimerMapBit(ctx.timers.data, *minute, false);
    SetTimerMapBit(ctx.timers.once, *minute, false);
    ok = WriteMaps(ctx) && WriteIni(ctx, kSection, key, u"", ctx.paths.config);
  }
  if (saved != nullptr) *saved = ok;
  return result;
}

int16_t TimerCheck(Context& ctx, std::u16string_view time, std::u16string& command) {
  const int minute = TimeToMinute(time);
  if (!TimerMapBit(ctx.timers.data, minute)) return kTimerNotDue;
  command = ReadIni(ctx, kSection, Decimal(minute), u"", ctx.paths.config);
  return TimerMapBit(ctx.timers.once, minute) ? kTimerDueOnce : kTimerDueDaily;
}

void TimerMinuteStep(Context& ctx) {
  TimerState& timers = ctx.timers;
  // A tick nested inside a running timer command (a WAIT in it lets ticks run) leaves the
  // minutes alone, so no minute's command starts twice.
  if (timers.running) return;
  const std::u16string minute = CurrentMinute(ctx);
  if (minute == timers.last_minute) return;
  {
    RunningScope running(timers);
    ExamineMinute(ctx, minute);
  }
  // Read again: the minutes a long command covered are skipped, not run late.
  timers.last_minute = CurrentMinute(ctx);
}

}  // namespace qrx
