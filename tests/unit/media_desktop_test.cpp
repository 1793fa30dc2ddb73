// CDDA, MCI and the tick's repeat poll, KABE and SS on the fake platform.
#include <gtest/gtest.h>

#include "base/text.h"
#include "commands/media/cd_audio.h"
#include "fake/harness.h"

namespace qrx::test {
namespace {

constexpr char16_t kMessages[] =
    u"[CDDA]\r\nOPEN=opened\r\nPLAY=playing\r\nSTOP=stopped\r\nCLOSE=closed\r\nRP=repeat #A\r\n"
    u"RP-ERR=no position for #A\r\nERR=what?\r\nNONE=no mci for #A\r\n"
    u"[MCI]\r\nOK=ok [#A] #B\r\nERR=error [#A] #B\r\nNONE=no mci for #A\r\n"
    u"[KABE]\r\nCHG=wallpaper #A\r\nERR=no wallpaper #A\r\n"
    u"[SS]\r\nON=on\r\nOFF=off\r\nERR=no screen saver #A\r\n";

using Strings = std::vector<std::u16string>;

class MediaDesktopTest : public StartedTest {
 protected:
  // The disc's track 3 starts at 12000 ms and lasts 3500 ms.
  MediaDesktopTest() : StartedTest(kMessages) {
    q.os.mci_replies[u"STATUS CDDA POSITION TRACK 3"] = {0, u"12000"};
    q.os.mci_replies[u"STATUS CDDA LENGTH TRACK 3"] = {0, u"3500"};
  }
  std::u16string Last() const {
    return q.ui.LastAnswer() + u" (" + Decimal(q.ui.answers.back().time) + u")";
  }
};

TEST_F(MediaDesktopTest, RepeatSetsUpTheTrackAndTheTickReplaysItWhenStopped) {
  q.Type(u"cdda open");
  q.Type(u"CDDA RP 3");
  EXPECT_EQ(q.os.mci_sent,
            (Strings{u"OPEN CDAUDIO ALIAS CDDA", u"SET CDDA TIME FORMAT MILLISECONDS",
                     u"STATUS CDDA POSITION TRACK 3", u"STATUS CDDA LENGTH TRACK 3",
                     u"PLAY CDDA FROM 12000 TO 15500", u"SET CDDA TIME FORMAT MSF"}));
  EXPECT_EQ(q.ui.answers[0].text, u"opened");
  EXPECT_EQ(Last(), u"repeat 3 (3)");

  q.os.mci_sent.clear();
  q.os.mci_replies[u"STATUS CDDA MODE"] = {0, u"playing"};
  q.window.Tick();
  EXPECT_EQ(q.os.mci_sent, (Strings{u"STATUS CDDA MODE"}));
  q.os.mci_sent.clear();
  q.os.mci_replies[u"STATUS CDDA MODE"] = {0, u"stopped"};
  q.window.Tick();
  EXPECT_EQ(q.os.mci_sent,
            (Strings{u"STATUS CDDA MODE", u"SET CDDA TIME FORMAT MILLISECONDS",
                     u"PLAY CDDA FROM 12000 TO 15500", u"SET CDDA TIME FORMAT MSF"}));

  // RP 0 stops the device and the poll.
  q.os.mci_sent.clear();
  q.Type(u"CDDA RP 0");
  EXPECT_EQ(q.os.mci_sent, (Strings{u"STOP CDDA"}));
  EXPECT_EQ(Last(), u"repeat 0 (3)");
  q.window.Tick();
  EXPECT_EQ(q.os.mci_sent.size(), 1u);
}

TEST_F(MediaDesktopTest, ThePollLeavesAnythingButStoppedAlone) {
  q.Type(u"CDDA RP 3");  // before any OPEN the poll names no device
  q.os.mci_sent.clear();
  q.os.mci_replies[u"STATUS  MODE"] = {0, u"stopped"};
  q.window.Tick();
  EXPECT_EQ(q.os.mci_sent, (Strings{u"STATUS  MODE"}));

  q.Type(u"CDDA OPEN");
  q.Type(u"CDDA CLOSE");  // does not end the repeat: the poll now fails harmlessly
  q.os.mci_sent.clear();
  q.os.mci_replies[u"STATUS CDDA MODE"] = {263, u""};
  q.os.mci_errors[263] = u"stopped";  // an error text is never taken for the mode
  q.window.Tick();
  EXPECT_EQ(q.os.mci_sent, (Strings{u"STATUS CDDA MODE"}));
  EXPECT_EQ(q.ctx.cd.repeat, 1);
}

TEST_F(MediaDesktopTest, RepeatFailuresAnswerAndChangeNothing) {
  q.os.mci_replies[u"STATUS CDDA POSITION TRACK 4"] = {262, u""};
  q.os.mci_errors[262] = u"no such track";
  q.Type(u"CDDA RP 4");
  EXPECT_EQ(Last(), u"no such track (3)");
  EXPECT_EQ(q.os.mci_sent,
            (Strings{u"SET CDDA TIME FORMAT MILLISECONDS", u"STATUS CDDA POSITION TRACK 4"}));
  EXPECT_EQ(q.ctx.cd.repeat, 0);

  // A position or length that is no number, or an end past 32 bits, plays nothing.
  for (auto [position, length] :
       {std::pair{u"abc", u"10"}, std::pair{u"10", u""}, std::pair{u"2147483000", u"1000"}}) {
    q.os.mci_sent.clear();
    q.os.mci_replies[u"STATUS CDDA POSITION TRACK 5"] = {0, position};
    q.os.mci_replies[u"STATUS CDDA LENGTH TRACK 5"] = {0, length};
    q.Type(u"CDDA RP 5");
    EXPECT_EQ(Last(), u"no position for 5 (5)") << Utf16ToUtf8(position);
    EXPECT_EQ(q.os.mci_sent.size(), 4u) << "the format goes back, nothing plays";
    EXPECT_EQ(q.ctx.cd.repeat, 0);
  }
}

TEST_F(MediaDesktopTest, FixedAnswersUnlessTheDeviceFailsOtherSubCommandsSendTheWholeText) {
  q.Type(u"CDDA PLAY");
  EXPECT_EQ(Last(), u"playing (3)");
  q.os.mci_replies[u"OPEN CDAUDIO ALIAS CDDA"] = {266, u""};
  q.os.mci_errors[266] = u"no driver";
  q.Type(u"CDDA OPEN");
  EXPECT_EQ(Last(), u"no driver (5)");
  q.os.mci_replies[u"STOP CDDA"] = {289, u""};  // without a description
  q.ctx.cd.repeat = 1;
  q.Type(u"CDDA STOP");
  EXPECT_EQ(Last(), u"その他のエラーです (5)");
  EXPECT_EQ(q.ctx.cd.repeat, 0);
  q.Type(u"CDDA");
  EXPECT_EQ(Last(), u"what? (5)");
  // Other sub-commands send the whole text.
  q.os.mci_sent.clear();
  q.os.mci_replies[u"STATUS CDDA MODE"] = {0, u"paused"};
  q.Type(u"CDDA SET CDDA DOOR OPEN");
  EXPECT_EQ(Last(), u" (3)");
  q.Type(u"CDDA STATUS CDDA MODE");
  EXPECT_EQ(q.os.mci_sent, (Strings{u"SET CDDA DOOR OPEN", u"STATUS CDDA MODE"}));
  EXPECT_EQ(Last(), u"paused (3)");
}

TEST_F(MediaDesktopTest, MciAnswersWithTheReplyOrTheErrorAndItsNumber) {
  q.os.mci_replies[u"STATUS CDDA NUMBER OF TRACKS"] = {0, u"12"};
  q.Type(u"MCI STATUS CDDA NUMBER OF TRACKS");
  EXPECT_EQ(Last(), u"ok [12] 0 (3)");
  q.os.mci_replies[u"FOO"] = {292, u""};
  q.os.mci_errors[292] = u"unknown command";
  q.Type(u"MCI FOO");
  EXPECT_EQ(Last(), u"error [unknown command] 292 (5)");
  // Without MCI nothing is sent (the answers are in the transcript "questions").
  q.os.mci_sent.clear();
  q.os.has_mci = false;
  q.Type(u"CDDA RP 3");
  EXPECT_EQ(Last(), u"no mci for RP 3 (5)");
  EXPECT_TRUE(q.os.mci_sent.empty());
  EXPECT_EQ(q.ctx.cd.alias, u"");
}

TEST_F(MediaDesktopTest, KabeAndSsAnswerAFailureAsAnError) {
  q.Type(u"KABE \"C:\\My Pictures\\sea.bmp\"");
  q.Type(u"KABE");
  EXPECT_EQ(q.os.calls, (std::vector<std::string>{"SetWallpaper [C:\\My Pictures\\sea.bmp]",
                                                  "SetWallpaper []"}));
  EXPECT_EQ(Last(), u"wallpaper  (3)");
  q.os.desktop_changes = false;
  q.Type(u"KABE C:\\none.bmp");
  EXPECT_EQ(Last(), u"no wallpaper C:\\none.bmp (5)");
  q.os.desktop_changes = true;
  q.os.calls.clear();
  q.ui.answers.clear();
  q.Type(u"ss on");  // SS takes ON and OFF in any case
  q.Type(u"SS Off");
  q.Type(u"SS 1");
  q.Type(u"SS");
  EXPECT_EQ(q.os.calls,
            (std::vector<std::string>{"SetScreenSaverActive 1", "SetScreenSaverActive 0"}));
  ASSERT_EQ(q.ui.answers.size(), 2u) << "SS 1 and SS are ignored";
  EXPECT_EQ(Last(), u"off (3)");
  q.os.desktop_changes = false;
  q.Type(u"SS ON");
  EXPECT_EQ(Last(), u"no screen saver ON (5)");
}

}  // namespace
}  // namespace qrx::test
