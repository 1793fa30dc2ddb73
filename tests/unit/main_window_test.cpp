#include "ui/main_window.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fake/harness.h"
#include "interpreter/dispatcher.h"
#include "interpreter/keys.h"
#include "interpreter/window_position.h"
#include "ui/command_box.h"

namespace qrx::test {
namespace {

constexpr int32_t kUp = 38, kDown = 40, kLeft = 37, kRight = 39, kF3 = 114;

class MainWindowTest : public StartedTest {
 protected:
  MainWindowTest() : StartedTest(u"[ACTIVEKEY]\r\nSET=ホットキー #A\r\nDEL=ホットキーなし\r\n") {}
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) q.window.Tick();
  }
};

TEST_F(MainWindowTest, AnswerCountsDownThirtyTicksThenLosesOneCharacterPerTick) {
  q.Type(u"ANS abc");
  Ticks(29);
  EXPECT_EQ(q.window.AnswerLine(), u"abc");
  Ticks(1);  // the 30th tick counts down to 0 and wipes
  EXPECT_EQ(q.window.AnswerLine(), u"bc");
  Ticks(2);
  EXPECT_EQ(q.window.AnswerLine(), u"");
  Ticks(1);
  EXPECT_EQ(q.window.countdown, -2);
  // Time 0 wipes at once, negative times stay.
  q.Type(u"ANS ab 0");
  Ticks(1);
  EXPECT_EQ(q.window.AnswerLine(), u"b");
  q.Type(u"ANS kept -1");
  Ticks(500);
  EXPECT_EQ(q.window.AnswerLine(), u"kept");
  q.Type(u"ANS long 32767");  // held at the largest countdown that fits
  EXPECT_EQ(q.window.countdown, 32760);
  q.Type(u"ANS 😀x 0");  // a surrogate pair is wiped as one character
  Ticks(1);
  EXPECT_EQ(q.window.AnswerLine(), u"x");
}

TEST_F(MainWindowTest, HistoryRecallStopsAtBothEnds) {
  q.Type(u"ANS 1");
  q.Type(u"ANS 2");
  q.Type(u"ANS 3");
  q.os.clipboard.reset();  // a picture, say: no text at all
  EXPECT_TRUE(q.window.OnKeyDown(kUp, false, false, false));
  EXPECT_EQ(q.ui.command, u"ANS 3");
  q.window.OnKeyDown(kUp, false, false, false);
  EXPECT_EQ(q.ui.command, u"ANS 2");
  for (int i = 0; i < 11; ++i) q.window.OnKeyDown(kUp, false, false, false);
  EXPECT_EQ(q.ctx.history.index, 9);
  for (int i = 0; i < 11; ++i) q.window.OnKeyDown(kDown, false, false, false);
  EXPECT_EQ(q.ctx.history.index, 0);
  EXPECT_EQ(q.ui.command, u"");
  EXPECT_FALSE(q.os.clipboard.has_value());  // the user's clipboard survives the recall
  q.Type(u"");                               // Enter on an empty box still shifts the history
  EXPECT_EQ(q.ctx.history.entries[1], u"");
  EXPECT_EQ(q.ctx.history.entries[2], u"ANS 3");
}

TEST_F(MainWindowTest, AltArrowsPassTheKeyOnOtherKeysWithModifiersDoNothing) {
  EXPECT_FALSE(q.window.OnKeyDown(kLeft, false, false, true));
  EXPECT_FALSE(q.window.OnKeyDown(kRight, false, false, true));
  EXPECT_EQ(q.ui.LastAnswer(), u"[進む]押されたのぉ");
  q.ui.answers.clear();
  EXPECT_FALSE(q.window.OnKeyDown(kLeft, false, false, false));
  q.ctx.keys.function_keys[2] = u"ANS f3";
  q.window.OnKeyDown(kF3, true, false, false);  // with a modifier: the poll's business
  EXPECT_TRUE(q.ui.answers.empty());
  q.ctx.keys.function_key_modifiers = 6;  // Ctrl+Alt, and Shift too: not the combination
  q.os.key_states = {{kF3, -32767}, {0x10, -32768}, {0x11, -32768}, {0x12, -32768}};
  PollFunctionKeys(q.ctx);
  EXPECT_TRUE(q.ui.answers.empty());
}

TEST_F(MainWindowTest, AFunctionKeyRunsItsCommandOncePerPress) {
  constexpr int16_t kPressed = -32767, kHeld = -32768;  // down since the last look / still down
  constexpr int32_t kCtrl = 0x11, kAlt = 0x12;
  q.ctx.keys.function_keys[2] = u"ANS f3";
  q.ctx.keys.function_key_modifiers = 6;
  const auto runs = [&] { return std::ranges::count(q.ui.answers, u"f3", &FakeUi::Answer::text); };
  const auto release = [&] {
    q.os.key_states.clear();
    PollFunctionKeys(q.ctx);
  };
  // Held in the window: the key event repeats while the poll sees the key down.
  q.os.key_states = {{kF3, kPressed}};
  q.window.OnKeyDown(kF3, false, false, false);
  for (int i = 0; i < 3; ++i) {
    PollFunctionKeys(q.ctx);
    q.os.key_states[kF3] = kHeld;
    q.window.OnKeyDown(kF3, false, false, false);
  }
  EXPECT_EQ(runs(), 1);
  release();
  q.window.OnKeyDown(kF3, false, false, false);  // the next press
  EXPECT_EQ(runs(), 2);
  // Held with the system-wide combination.
  release();
  q.os.key_states = {{kF3, kPressed}, {kCtrl, kHeld}, {kAlt, kHeld}};
  for (int i = 0; i < 5; ++i) {
    PollFunctionKeys(q.ctx);
    q.os.key_states[kF3] = kHeld;
  }
  EXPECT_EQ(runs(), 3);
  // FPU 0: one press in the window reaches both the key event and the poll, in either order.
  q.ctx.keys.function_key_modifiers = 0;
  for (bool poll_first : {false, true}) {
    release();
    q.os.key_states = {{kF3, kPressed}};
    if (poll_first) PollFunctionKeys(q.ctx);
    q.window.OnKeyDown(kF3, false, false, false);
    if (!poll_first) PollFunctionKeys(q.ctx);
  }
  EXPECT_EQ(runs(), 5);
  release();
  q.os.key_states = {{kF3, 1}};  // pressed and let go between two looks
  PollFunctionKeys(q.ctx);
  EXPECT_EQ(runs(), 6);
}

TEST_F(MainWindowTest, HotKeyIsRegisteredAtStartChangedBySetAndWithTheTrayRestoresTheWindow) {
  ASSERT_FALSE(q.ui.hot_keys.empty());
  EXPECT_EQ(q.ui.hot_keys[0], 1000);
  q.Type(u"SET ACTIVEKEY 0 0");
  EXPECT_EQ(q.ui.LastAnswer(), u"ホットキーなし");
  EXPECT_EQ(q.ui.hot_keys.back(), -1000);
  q.ui.minimized = true;  // the hot key and the tray restore the window
  q.ui.visible = false;
  q.window.OnHotKey(1000);
  EXPECT_TRUE(q.ui.visible);
  EXPECT_FALSE(q.ui.minimized);
  EXPECT_EQ(q.ui.focus_requests, 1);
  q.ui.visible = false;
  q.window.OnTrayCallback(0x0204);  // right button: nothing
  EXPECT_FALSE(q.ui.visible);
  q.window.OnTrayCallback(0x0201);
  EXPECT_TRUE(q.ui.visible);
}

TEST_F(MainWindowTest, DebugModeMarksTheCaptionAndHasNoHotKey) {
  Instance dbg;
  dbg.StartWith("[SYSTEM]\r\nVersion=0.50\r\nDEBUG=1\r\n");
  EXPECT_TRUE(dbg.ui.hot_keys.empty());
  EXPECT_EQ(dbg.window.Caption(), u"quorix Ver0.50 [--]*");
  dbg.ui.visible = false;
  dbg.window.OnHotKey(1000);
  dbg.window.OnTrayCallback(0x0201);
  EXPECT_FALSE(dbg.ui.visible);
  EXPECT_TRUE(dbg.ui.tray.has_value());  // the icon is shown all the same
}

TEST_F(MainWindowTest, MouseDragsOnlyWhenMoveIsOnMiddlePastesDropsQuoteNamesAndPreferText) {
  q.window.OnMouseDown(MouseButton::kLeft);
  EXPECT_EQ(q.ui.drags, 1);
  q.ctx.settings.move = 0;
  q.window.OnMouseDown(MouseButton::kLeft);
  EXPECT_EQ(q.ui.drags, 1);
  q.os.clipboard = u"pasted";
  q.window.OnMouseDown(MouseButton::kMiddle);
  EXPECT_EQ(q.ui.command, u"pasted");
  q.os.clipboard = u"mine";
  q.ui.SetCommandText(u"SH ");
  q.window.OnDrop(DropData{{u"C:\\My Files\\a.txt", u"C:\\b.txt"}, std::nullopt});
  EXPECT_EQ(q.ui.command, u"SH \"C:\\My Files\\a.txt\"");
  q.ui.command.clear();
  q.window.OnDrop(DropData{{u"C:\\a.txt"}, u"two\r\nlines"});  // the first line of the text
  EXPECT_EQ(q.ui.command, u"two");
  EXPECT_EQ(q.os.clipboard, u"mine");
  q.window.OnDrop(DropData{});
  ASSERT_FALSE(q.ui.boxes.empty());
  EXPECT_EQ(q.ui.boxes.back().text, u"その形式には対応していません\rごめんなさい");
}

TEST_F(MainWindowTest, SetTextGoesToTheForegroundFocus) {
  q.os.foreground_focus = 77;
  q.Type(u"SET TEXT hello there");
  EXPECT_EQ(q.os.calls.back(), "SendSetText 77 hello there");
}

TEST_F(MainWindowTest, PositionRoundTripsForBothTypesAndTheCentredOneDoesNotDrift) {
  for (int16_t type : {0, 1}) {
    q.ctx.settings.pos_type = type;
    q.ui.rect = WindowRect{40, 60, 340, 150};
    SaveWindowPosition(q.ctx);
    q.ui.rect = WindowRect{0, 0, 300, 90};  // moved away, same size
    RestoreWindowPosition(q.ctx);
    EXPECT_EQ(Corners(q.ui.rect), Corners({40, 60, 340, 150})) << type;
  }
  EXPECT_EQ(q.Config(u"SYSTEM", u"PX"), u"190");  // type 1: middle of the bottom edge
  EXPECT_EQ(q.Config(u"SYSTEM", u"WW"), u"4500");
  // A restart starts at the window's default width; PosType 1 must not drift by the
  // difference at every start.
  q.ui.rect = WindowRect{500, 300, 900, 390};
  SaveWindowPosition(q.ctx);
  for (int run = 0; run < 3; ++run) {
    q.ui.rect = WindowRect{0, 0, 286, 90};  // the default width of a fresh window
    RestoreWindowPosition(q.ctx);
    EXPECT_EQ(q.ui.rect.left, 500) << run;
    EXPECT_EQ(q.ui.rect.right, 900) << run;
    SaveWindowPosition(q.ctx);
  }
}

TEST_F(MainWindowTest, OldTwipPositionsAreConvertedOnce) {
  Instance old;
  old.StartWith("[SYSTEM]\r\nVersion=0.20\r\nWX=1500\r\nWY=3000\r\nWW=6000\r\n");
  EXPECT_EQ(old.Config(u"SYSTEM", u"PX"), u"100");
  EXPECT_EQ(old.Config(u"SYSTEM", u"PY"), u"200");
  EXPECT_EQ(old.Config(u"SYSTEM", u"WX"), u"(missing)");
}

TEST_F(MainWindowTest, PositionsAtTheEndsOfTheRangeAreHeldThere) {
  Instance far;
  far.StartWith(
      "[SYSTEM]\r\nVersion=0.50\r\nPosType=1\r\nPX=-2147483648\r\nPY=2147483647\r\n"
      "WW=2147483647\r\n");
  EXPECT_EQ(Corners(far.ui.rect),
            Corners({INT32_MIN, INT32_MAX - 87, INT32_MIN + INT32_MAX / 15, INT32_MAX}));
  far.ui.rect = WindowRect{INT32_MIN, 0, INT32_MAX, 87};  // wider than 32 bits can say
  SaveWindowPosition(far.ctx);
  EXPECT_EQ(far.Config(u"SYSTEM", u"PX"), u"-1");
  EXPECT_EQ(far.Config(u"SYSTEM", u"WW"), u"2147483647");
}

}  // namespace
}  // namespace qrx::test
