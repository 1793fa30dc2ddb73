// PLACEHOLDER-UNTIL-SETTINGS-WORK
#include "timers/timers.h"

namespace qrx {

void TimerLoad(Context&) {}
void TimerMinuteStep(Context&) {}

}  // namespace qrx
