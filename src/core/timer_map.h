// The minute maps of the timers: 240 characters, one per six minutes of the day, each
// character "#" (code 35) plus a 6-bit mask of its minutes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qrx {

struct Context;

inline constexpr int kMinutesPerDay = 1440;

// A map as read from the configuration file: cut or filled to 240 characters, and any
// character outside "#".."b" taken as "#", so a damaged map marks no stray minutes.
std::u16string NormalizeTimerMap(std::u16string_view stored);

// Whether the minute (0..1439) is marked in a map of 240 characters.
bool TimerMapBit(std::u16string_view map, int minute);

// Marks or unmarks one minute; the other five minutes of its character stay as they are.
void SetTimerMapBit(std::u16string& map, int minute, bool on);

// Hours times 60 plus minutes, from characters 1-2 and 4-5 of the text, each through
// ToInteger; the third character is not looked at.
int TimeToMinute(std::u16string_view time);

// The minute of a time text that a timer accepts: exactly five characters, whole hours
// 0-23 in the first two and whole minutes 0-59 in the last two (" 9:05" and "09.05" are
// 09:05); nothing for any other text.
std::optional<int> TimerMinute(std::u16string_view time);

// "HH:MM" of a minute of the day.
std::u16string MinuteText(int minute);

// Reads the timer maps from the configuration file (settings load).
void TimerLoad(Context& ctx);

}  // namespace qrx
