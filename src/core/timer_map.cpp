#include "core/timer_map.h"

#include <cmath>

#include "base/to_integer.h"
#include "core/context.h"
#include "core/ini_access.h"
#include "core/timer_state.h"

namespace qrx {
namespace {

constexpr char16_t kEmptyBlock = u'#';
constexpr int kMinutesPerBlock = 6;
constexpr int kFullMask = (1 << kMinutesPerBlock) - 1;

// A two-character field that holds a whole number from 0 to `high`.
std::optional<int> WholeNumber(std::u16string_view field, int high) {
  const std::optional<double> value = ParseNumericText(field);
  if (!value || *value != std::floor(*value) || *value < 0 || *value > high) return std::nullopt;
  return static_cast<int>(*value);
}

}  // namespace

std::u16string NormalizeTimerMap(std::u16string_view stored) {
  std::u16string map(kTimerMapLength, kEmptyBlock);
  for (size_t i = 0; i < map.size() && i < stored.size(); ++i) {
    const int mask = stored[i] - kEmptyBlock;
    if (mask >= 0 && mask <= kFullMask) map[i] = stored[i];
  }
  return map;
}

bool TimerMapBit(std::u16string_view map, int minute) {
  if (minute < 0 || minute >= kMinutesPerDay) return false;
  const size_t block = static_cast<size_t>(minute / kMinutesPerBlock);
  if (block >= map.size()) return false;
  const int mask = map[block] - kEmptyBlock;
  return mask >= 0 && mask <= kFullMask && (mask >> (minute % kMinutesPerBlock) & 1) != 0;
}

void SetTimerMapBit(std::u16string& map, int minute, bool on) {
  if (minute < 0 || minute >= kMinutesPerDay) return;
  map = NormalizeTimerMap(map);
  const size_t block = static_cast<size_t>(minute / kMinutesPerBlock);
  int mask = map[block] - kEmptyBlock;
  const int bit = 1 << (minute % kMinutesPerBlock);
  mask = on ? (mask | bit) : (mask & ~bit);
  map[block] = static_cast<char16_t>(kEmptyBlock + mask);
}

int TimeToMinute(std::u16string_view time) {
  const auto part = [&](size_t from) {
    return from < time.size() ? ToInteger(time.substr(from, 2)) : int16_t{0};
  };
  return part(0) * 60 + part(3);
}

std::optional<int> TimerMinute(std::u16string_view time) {
  if (time.size() != 5) return std::nullopt;
  const auto hours = WholeNumber(time.substr(0, 2), 23);
  const auto minutes = WholeNumber(time.substr(3, 2), 59);
  if (!hours || !minutes) return std::nullopt;
  return *hours * 60 + *minutes;
}

std::u16string MinuteText(int minute) {
  minute = ((minute % kMinutesPerDay) + kMinutesPerDay) % kMinutesPerDay;
  const int h = minute / 60;
  const int m = minute % 60;
  return {static_cast<char16_t>(u'0' + h / 10), static_cast<char16_t>(u'0' + h % 10), u':',
          static_cast<char16_t>(u'0' + m / 10), static_cast<char16_t>(u'0' + m % 10)};
}

void TimerLoad(Context& ctx) {
  const std::u16string none(kTimerMapLength, u'#');
  ctx.timers.data = NormalizeTimerMap(ReadIni(ctx, u"TIMER", u"DATA", none, ctx.paths.config));
  ctx.timers.once = NormalizeTimerMap(ReadIni(ctx, u"TIMER", u"DAT1", none, ctx.paths.config));
}

}  // namespace qrx
