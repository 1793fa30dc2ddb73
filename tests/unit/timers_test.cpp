#include "commands/timers/timers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/startup.h"
#include "base/text.h"
#include "core/timer_map.h"
#include "fake/harness.h"
#include "interpreter/dispatcher.h"

namespace qrx::test {
namespace {

constexpr char16_t kConfig[] = u"C:\\cfg\\QRX_CORE.INI";
const std::u16string kNoMinutes(240, u'#');

TEST(TimerMapTest, MapsAndTimeTexts) {
  // A damaged stored map: filled, cut, and characters outside "#".."b" marking nothing.
  EXPECT_EQ(NormalizeTimerMap(kNoMinutes + u"$$"), kNoMinutes);
  EXPECT_EQ(NormalizeTimerMap(u"\"c!あb"), u"####b" + kNoMinutes.substr(5));
  std::u16string map = kNoMinutes;
  for (int m : {0, 1439, 1440, -1}) SetTimerMapBit(map, m, true);  // the day's ends and beyond
  EXPECT_EQ(map, u"$" + kNoMinutes.substr(1, 238) + u"C");
  EXPECT_EQ(TimerMinute(u" 9.05"), 545);  // the third character is not looked at
  EXPECT_EQ(TimerMinute(u"23:59"), 1439);
  for (const char16_t* bad :
       {u"7:30", u"24:00", u"12:60", u"ab:cd", u"-1:00", u"07:300", u".5:00", u"  :00", u""}) {
    EXPECT_FALSE(TimerMinute(bad).has_value()) << Utf16ToUtf8(bad);
  }
}

TEST(TimerSetTest, EntriesInTheConfigurationFile) {
  Instance q;
  q.Start(kConfig);
  const auto data = [&] { return q.Config(u"TIMER", u"DATA"); };
  q.Type(u"SET TIMER 07:30 VER");
  EXPECT_EQ(data(), kNoMinutes.substr(0, 75) + u"$" + kNoMinutes.substr(76));
  EXPECT_EQ(q.Config(u"TIMER", u"450"), u"VER");
  q.Type(u"SET TIMER1 07:31 BEEP");
  q.Type(u"SET TIMER 07:30");
  EXPECT_EQ(data()[75], u'%');
  EXPECT_EQ(q.Config(u"TIMER", u"DAT1")[75], u'%');
  EXPECT_EQ(q.Config(u"TIMER", u"450"), u"(missing)");
  Instance again;
  again.os.PutFile(kConfig, q.os.FileBytes(kConfig));
  again.Start(kConfig);
  EXPECT_EQ(again.ctx.timers.once, q.ctx.timers.once);
  q.Type(u"SET TIMER 08:00 a$Nb");  // no minute may point at a command never stored
  EXPECT_EQ(q.ui.LastAnswer(), u"SYSTEM_SAVE-ERR");
  EXPECT_EQ(q.ctx.timers.data, q.ctx.timers.once);
  EXPECT_EQ(q.os.ProfileKeyNames(u"TIMER", kConfig).size(), 3u);  // DATA, DAT1, 451
}

// Waits let the clock run and the window tick every 100 ms, as the real event loop does.
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
      if (jump_at_pump && --jump_at_pump == 0) SetClock(jump_to);
      Advance(std::min<uint32_t>(ms, 100));
    };
    SetClock(At(12, 0));
    StartUp(ctx, kConfig);
  }
  void Type(std::u16string_view line) { RunTopLevelLine(ctx, line); }
  void SetClock(int64_t ms) {
    ms_ = ms % 86400000;
    os.now.hour = static_cast<int>(ms_ / 3600000);
    os.now.minute = static_cast<int>(ms_ / 60000 % 60);
  }
  void Advance(uint32_t ms) {
    os.tick += ms;
    SetClock(ms_ + ms);
    window.Tick();
  }
  static int64_t At(int h, int m) { return (h * 60 + m) * 60000LL; }
  long Count(std::u16string_view text) const {
    return std::count_if(ui.answers.begin(), ui.answers.end(),
                         [&](const auto& a) { return a.text == text; });
  }
  FakePlatform os;
  TickingUi ui{os};
  Context ctx{os, ui};
  MainWindow window{ctx, ui};
  int jump_at_pump = 0;  // the clock is set to jump_to at this pump
  int64_t jump_to = 0;
  int64_t ms_ = 0;
};

TEST_F(TimerTickTest, DailyEntriesRunOncePerDayAndOneShotsAreRemoved) {
  Type(u"SET TIMER 12:00 ANS daily");  // the minute of start-up counts
  Type(u"SET TIMER1 12:02 ANS once");
  for (int i = 0; i < 3 * 600; ++i) Advance(100);  // three minutes of ticks
  SetClock(At(12, 0));                             // the next day
  window.Tick();
  SetClock(At(12, 2));
  window.Tick();
  EXPECT_EQ(Count(u"daily"), 2);
  EXPECT_EQ(Count(u"once"), 1);
  EXPECT_EQ(os.ProfileGetString(u"TIMER", u"722", u"(none)", kConfig), u"(none)");
}

TEST_F(TimerTickTest, TimerCommandsThatFailOrEndTheProgramLeaveTheStepSound) {
  Type(u"SET TIMER 12:01 ANS %X%");
  Type(u"SET TIMER1 12:02 EXIT NO");
  Type(u"SET CLIPFLG ON");
  os.env_fails = true;  // expanding %X% throws
  os.clipboard = u"QSCMD:ANS from-clipboard";
  SetClock(At(12, 1));
  window.Tick();
  EXPECT_EQ(Count(u"from-clipboard"), 1);  // the rest of the tick ran
  SetClock(At(12, 2));
  EXPECT_THROW(window.Tick(), AppEnding);
  // Removed all the same, so that it does not run again at the next start.
  EXPECT_EQ(os.ProfileGetString(u"TIMER", u"722", u"(none)", kConfig), u"(none)");
  EXPECT_FALSE(ctx.timers.running);
}

TEST_F(TimerTickTest, MinutesCoveredByATimerCommandAreSkippedAndNoneRunsTwice) {
  Type(u"SET TIMER 23:59 WAIT 150");  // runs to 00:01:30, ticking all the while
  Type(u"SET TIMER 00:00 ANS m00");
  Type(u"SET TIMER1 00:01 ANS m01");
  Type(u"SET TIMER 00:02 ANS m02");
  ui.answers.clear();
  SetClock(At(23, 59));
  window.Tick();
  EXPECT_EQ(Count(u"WAIT_WAIT"), 1);  // ticks inside the wait started nothing
  EXPECT_EQ(Count(u"m00") + Count(u"m01"), 0);
  EXPECT_EQ(ctx.timers.last_minute, u"00:01");
  window.Tick();  // the same minute: nothing is caught up
  EXPECT_EQ(Count(u"m01"), 0);
  EXPECT_EQ(os.ProfileGetString(u"TIMER", u"1", u"(none)", kConfig), u"ANS m01");
  for (int i = 0; i < 300; ++i) Advance(100);  // on to 00:02
  EXPECT_EQ(Count(u"m02"), 1);
  EXPECT_EQ(Count(u"WAIT_WAIT"), 1);
}

TEST_F(TimerTickTest, AClockSetDuringATimerCommandSkipsWhatItPassed) {
  Type(u"SET TIMER 12:01 WAIT 1");
  Type(u"SET TIMER 15:00 ANS covered");
  Type(u"SET TIMER 15:01 ANS next");
  SetClock(At(12, 1));
  jump_at_pump = 3;
  jump_to = At(15, 0);
  window.Tick();
  EXPECT_EQ(Count(u"covered"), 0);
  SetClock(At(15, 1));
  window.Tick();
  EXPECT_EQ(Count(u"next"), 1);
}

}  // namespace
}  // namespace qrx::test
