#include "timers/timers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "base/text.h"
#include "fake/harness.h"
#include "interpreter/dispatcher.h"
#include "startup/startup.h"
#include "timers/timer_map.h"

namespace qrx::test {
namespace {

constexpr char16_t kConfig[] = u"C:\\cfg\\QRX_CORE.INI";
const std::u16string kNoMinutes(240, u'#');

// --- the minute maps ----------------------------------------------------------------------

TEST(TimerMapTest, DamagedStoredMapsMarkNoStrayMinutes) {
  EXPECT_EQ(NormalizeTimerMap(u""), kNoMinutes);
  EXPECT_EQ(NormalizeTimerMap(u"$"), u"$" + kNoMinutes.substr(1));  // short: filled
  EXPECT_EQ(NormalizeTimerMap(kNoMinutes + u"$$"), kNoMinutes);     // long: cut
  // Codes 34, 99 and 33 and a kanji lie outside "#".."b"; "b", the last one, stays.
  EXPECT_EQ(NormalizeTimerMap(u"\"c!あb"), u"####b" + kNoMinutes.substr(5));
}

TEST(TimerMapTest, EachMinuteIsOneBitOfItsSixMinuteCharacter) {
  std::u16string map = kNoMinutes;
  SetTimerMapBit(map, 450, true);  // 07:30: bit 0 of character 76
  EXPECT_EQ(map[75], u'$');
  SetTimerMapBit(map, 451, true);  // 07:31: bit 1 of the same character
  EXPECT_EQ(map[75], u'&');
  SetTimerMapBit(map, 450, false);
  EXPECT_EQ(map[75], u'%');
  EXPECT_FALSE(TimerMapBit(map, 450));
  EXPECT_TRUE(TimerMapBit(map, 451));
  SetTimerMapBit(map, 1439, true);  // 23:59: bit 5 of character 240
  EXPECT_EQ(map[239], u'#' + 32);
  SetTimerMapBit(map, 0, true);
  EXPECT_EQ(map[0], u'$');
  for (int m = 1434; m < 1440; ++m) SetTimerMapBit(map, m, true);
  EXPECT_EQ(map[239], u'b');
  SetTimerMapBit(map, 451, true);  // setting a set bit changes nothing
  EXPECT_EQ(map[75], u'%');
  EXPECT_EQ(std::count(map.begin(), map.end(), u'#'), 237);
  SetTimerMapBit(map, 1440, true);  // outside the day: nothing changes
  SetTimerMapBit(map, -1, true);
  EXPECT_EQ(std::count(map.begin(), map.end(), u'#'), 237);
}

TEST(TimerMapTest, TimeTexts) {
  EXPECT_EQ(TimerMinute(u"07:30"), 450);
  EXPECT_EQ(TimerMinute(u" 9:05"), 545);
  EXPECT_EQ(TimerMinute(u"09.05"), 545);  // the third character is not looked at
  EXPECT_EQ(TimerMinute(u"00:00"), 0);
  EXPECT_EQ(TimerMinute(u"23:59"), 1439);
  for (const char16_t* bad : {u"7:30", u"24:00", u"12:60", u"ab:cd", u"-1:00", u"07:3", u"07:300",
                              u".5:00", u"  :00", u"00:-0x", u""}) {
    EXPECT_FALSE(TimerMinute(bad).has_value()) << Utf16ToUtf8(bad);
  }
  EXPECT_EQ(TimeToMinute(u"ab:cd"), 0);
  EXPECT_EQ(MinuteText(1440), u"00:00");
}

// --- TIMER and TIMER1 through SET -----------------------------------------------------------

class TimerSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    q.Start(kConfig);
    q.ui.answers.clear();
  }
  std::u16string Data() { return q.Config(u"TIMER", u"DATA"); }
  std::u16string Once() { return q.Config(u"TIMER", u"DAT1"); }
  Instance q;
};

TEST_F(TimerSetTest, DailyAndOneShotEntriesCharacterByCharacter) {
  EXPECT_EQ(TimerSet(q.ctx, u"07:30", u"VER", false), kTimerAdded);
  EXPECT_EQ(Data(), kNoMinutes.substr(0, 75) + u"$" + kNoMinutes.substr(76));
  EXPECT_EQ(Once(), kNoMinutes);
  EXPECT_EQ(q.Config(u"TIMER", u"450"), u"VER");
  q.Type(u"SET TIMER1 07:31 BEEP");
  EXPECT_EQ(Data()[75], u'&');
  EXPECT_EQ(Once()[75], u'%');
  q.Type(u"SET TIMER 07:30");
  EXPECT_EQ(q.ui.LastAnswer(), u"SET_TIMER-DEL");
  EXPECT_EQ(Data()[75], u'%');
  EXPECT_EQ(Once()[75], u'%');
  EXPECT_EQ(q.Config(u"TIMER", u"450"), u"(missing)");
  // A daily entry over a one-shot one replaces the command and keeps the mark.
  q.Type(u"SET TIMER 07:31 VER");
  EXPECT_EQ(Once()[75], u'%');
  EXPECT_EQ(q.Config(u"TIMER", u"451"), u"VER");
}

TEST_F(TimerSetTest, InvalidTimesStoreNothing) {
  for (const char16_t* line :
       {u"SET TIMER 7:30 VER", u"SET TIMER 24:00 VER", u"SET TIMER 12:60 VER",
        u"SET TIMER1 ab:cd VER", u"SET TIMER -1:00 VER"}) {
    q.Type(line);
    EXPECT_EQ(q.ui.answers.back().text, u"SET_TIMER-ERR") << Utf16ToUtf8(line);
    EXPECT_EQ(q.ui.answers.back().time, 5);
  }
  EXPECT_EQ(Data(), u"(missing)");
  EXPECT_TRUE(q.os.ProfileKeyNames(u"TIMER", kConfig).empty());
}

TEST_F(TimerSetTest, ACommandTheFileRefusesLeavesTheMapsUnmarked) {
  q.Type(u"SET TIMER 07:30 a$Nb");
  EXPECT_EQ(q.ui.LastAnswer(), u"SYSTEM_SAVE-ERR");
  EXPECT_EQ(q.ctx.timers.data, kNoMinutes);
  EXPECT_EQ(Data(), u"(missing)");
}

TEST_F(TimerSetTest, MapsAreLoadedWithTheSettings) {
  q.os.ProfileWriteString(u"TIMER", u"DATA", u"$x" + kNoMinutes, kConfig);
  q.os.ProfileWriteString(u"TIMER", u"DAT1", u"$", kConfig);
  Instance again;
  again.os.PutFile(kConfig, q.os.FileBytes(kConfig));
  again.Start(kConfig);
  EXPECT_EQ(again.ctx.timers.data, u"$" + kNoMinutes.substr(1));
  EXPECT_EQ(again.ctx.timers.once, u"$" + kNoMinutes.substr(1));
}

// --- the minute step of the tick ----------------------------------------------------------

// An instance whose waits let the clock run and the window tick every 100 ms, as the real
// event loop does.
class TickingUi : public FakeUi {
 public:
  using FakeUi::FakeUi;
  std::function<void(uint32_t)> pump;
  void PumpEvents(uint32_t max_wait_ms) override { pump(max_wait_ms); }
};

class TimerTickTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx.main_form = &window;
    ui.pump = [this](uint32_t ms) {
      const uint32_t step = std::min<uint32_t>(ms, 100);
      Advance(step);
      if (jump_at_pump && --jump_at_pump == 0) SetClock(jump_to);
      window.Tick();
    };
    SetClock(12 * 3600 * 1000);
    StartUp(ctx, kConfig);
  }
  void Type(std::u16string_view line) {
    ui.command = std::u16string(line);
    window.OnEnter();
  }
  void SetClock(int64_t ms_of_day) {
    ms_ = ms_of_day % 86400000;
    os.now.hour = static_cast<int>(ms_ / 3600000);
    os.now.minute = static_cast<int>(ms_ / 60000 % 60);
    os.now.second = static_cast<int>(ms_ / 1000 % 60);
  }
  static int64_t At(int h, int m, int s = 0) { return ((h * 60 + m) * 60 + s) * 1000LL; }
  void Advance(uint32_t ms) {
    os.tick += ms;
    SetClock(ms_ + ms);
  }
  // Answers with this text so far.
  size_t Count(std::u16string_view text) const {
    size_t n = 0;
    for (const auto& a : ui.answers) n += a.text == text;
    return n;
  }
  FakePlatform os;
  TickingUi ui{os};
  Context ctx{os, ui};
  MainWindow window{ctx, ui};
  int jump_at_pump = 0;  // the clock is set to jump_to at this pump
  int64_t jump_to = 0;
  int64_t ms_ = 0;
};

TEST_F(TimerTickTest, DailyEntryRunsOnceInItsMinuteAndAgainTheNextDay) {
  Type(u"SET TIMER 12:00 ANS start");  // the minute of start-up
  Type(u"SET TIMER 12:01 ANS ran");
  window.Tick();
  EXPECT_EQ(Count(u"start"), 1u);
  for (int i = 0; i < 1200; ++i) {  // two minutes of ticks
    Advance(100);
    window.Tick();
  }
  EXPECT_EQ(Count(u"ran"), 1u);
  SetClock(At(12, 1, 30));  // the next day, same minute
  window.Tick();
  EXPECT_EQ(Count(u"ran"), 2u);
  EXPECT_EQ(os.ProfileGetString(u"TIMER", u"721", u"", kConfig), u"ANS ran");
}

TEST_F(TimerTickTest, OneShotEntryRunsOnceAndIsRemoved) {
  Type(u"SET TIMER1 12:01 ANS once");
  SetClock(At(12, 1));
  window.Tick();
  EXPECT_EQ(Count(u"once"), 1u);
  EXPECT_FALSE(TimerMapBit(ctx.timers.data, 721));
  EXPECT_FALSE(TimerMapBit(ctx.timers.once, 721));
  EXPECT_EQ(os.ProfileGetString(u"TIMER", u"721", u"(none)", kConfig), u"(none)");
  EXPECT_EQ(os.ProfileGetString(u"TIMER", u"DATA", u"", kConfig), kNoMinutes);
  SetClock(At(12, 2));
  window.Tick();
  SetClock(At(12, 1));
  window.Tick();
  EXPECT_EQ(Count(u"once"), 1u);
}

TEST_F(TimerTickTest, OneShotThatEndsTheProgramIsRemovedAllTheSame) {
  Type(u"SET TIMER1 12:01 EXIT NO");
  SetClock(At(12, 1));
  EXPECT_THROW(window.Tick(), AppEnding);
  EXPECT_FALSE(TimerMapBit(ctx.timers.once, 721));
  EXPECT_EQ(os.ProfileGetString(u"TIMER", u"721", u"(none)", kConfig), u"(none)");
  EXPECT_FALSE(ctx.timers.running);
}

TEST_F(TimerTickTest, NestedTicksNeverStartAMinuteAgainAndSkipNoMinute) {
  Type(u"SET TIMER 12:01 WAIT 150");  // runs to 12:03:30, ticking all the while
  Type(u"SET TIMER 12:02 ANS m02");
  Type(u"SET TIMER 12:03 ANS m03");
  Type(u"SET TIMER 12:04 ANS m04");
  ui.answers.clear();
  SetClock(At(12, 1));
  window.Tick();
  EXPECT_EQ(Count(u"WAIT_WAIT"), 1u);
  EXPECT_EQ(Count(u"m02"), 1u);
  EXPECT_EQ(Count(u"m03"), 1u);
  EXPECT_EQ(Count(u"m04"), 0u);
  // In order, after the waiting command.
  ASSERT_GE(ui.answers.size(), 2u);
  EXPECT_EQ(ui.answers[ui.answers.size() - 2].text, u"m02");
  EXPECT_EQ(ui.answers.back().text, u"m03");
  EXPECT_EQ(ctx.timers.last_minute, u"12:03");
  window.Tick();
  EXPECT_EQ(Count(u"m03"), 1u);
  SetClock(At(12, 4));
  window.Tick();
  EXPECT_EQ(Count(u"m04"), 1u);
}

TEST_F(TimerTickTest, MinutesPassedMeanwhileAreCaughtUpOverMidnight) {
  Type(u"SET TIMER 23:59 WAIT 90");
  Type(u"SET TIMER 00:00 ANS midnight");
  SetClock(At(23, 59));
  window.Tick();
  EXPECT_EQ(Count(u"midnight"), 1u);
  EXPECT_EQ(ctx.timers.last_minute, u"00:00");
}

TEST_F(TimerTickTest, AClockThatJumpsIsNotCaughtUp) {
  Type(u"SET TIMER 13:00 ANS skipped");
  Type(u"SET TIMER 15:00 ANS now");
  window.Tick();  // 12:00 examined
  SetClock(At(15, 0));
  window.Tick();
  EXPECT_EQ(Count(u"skipped"), 0u);
  EXPECT_EQ(Count(u"now"), 1u);
  SetClock(At(11, 0));  // set back: the day's other minutes are not run either
  window.Tick();
  EXPECT_EQ(Count(u"skipped"), 0u);
  EXPECT_EQ(ctx.timers.last_minute, u"11:00");
}

TEST_F(TimerTickTest, AClockThatJumpsDuringATimerCommandIsNotCaughtUp) {
  Type(u"SET TIMER 12:01 WAIT 1");
  Type(u"SET TIMER 12:02 ANS skipped");
  Type(u"SET TIMER 15:00 ANS now");
  SetClock(At(12, 1));
  jump_at_pump = 3;
  jump_to = At(15, 0);
  window.Tick();
  EXPECT_EQ(Count(u"skipped"), 0u);
  EXPECT_EQ(Count(u"now"), 1u);
}

TEST_F(TimerTickTest, AFailingTimerCommandDoesNotStopTheRestOfTheTick) {
  Type(u"SET TIMER 12:01 ANS %X%");
  Type(u"SET CLIPFLG ON");
  os.env_fails = true;  // expanding %X% throws
  os.clipboard = u"QSCMD:ANS from-clipboard";
  SetClock(At(12, 1));
  window.Tick();
  EXPECT_EQ(Count(u"from-clipboard"), 1u);
  EXPECT_EQ(ctx.timers.last_minute, u"12:01");
  EXPECT_FALSE(ctx.timers.running);
}

}  // namespace
}  // namespace qrx::test
