// The skinned layout on the fake: the skin file, the start-up choice, lasting and temporary
// skins, pictures that do not load, and the message balloon's countdown and following.
#include <gtest/gtest.h>

#include "core/skin_file.h"
#include "fake/harness.h"
#include "ui/skinned_layout.h"

namespace qrx::test {
namespace {

constexpr char16_t kConfig[] = u"C:\\quorix\\QRX_CORE.INI";
constexpr char16_t kSkinFile[] = u"C:\\quorix\\QRX_CORE.SKN";
constexpr char16_t kA[] = u"C:\\quorix\\a.bmp";
constexpr char16_t kB[] = u"C:\\quorix\\b.bmp";

class SkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    q.PutDefaultMessages(
        u"[SYSTEM]\r\nSTART=こんにちは\r\nEND=またね\r\n"
        u"[SKIN]\r\nNOSKINMODE=スキンなし\r\nPICTURE-ERR=読めない #A\r\n"
        u"[WAIT]\r\nWAIT=待つ\r\n[MINE]\r\nA=with a|x.wav|A\r\nNO=no skin|\r\n");
    Config(u"SKIN=A");
    q.os.PutFile(kSkinFile,
                 "[A]\r\nFileName=a.bmp\r\nIY=40\r\nIW=100\r\nFRX=150\r\nFRY=44\r\nFLX=10\r\n"
                 "FLY=54\r\n[B]\r\nFileName=b.bmp\r\nIY=5\r\nIW=300\r\n");
    Picture(kA, 160, 120);
    Picture(kB, 200, 60);
  }
  void Config(std::u16string_view system_lines) {
    q.os.PutFile(kConfig, q.os.ToAnsi(u"[SYSTEM]\r\nVersion=0.50\r\n" +
                                      std::u16string(system_lines) + u"\r\n"));
  }
  void Picture(std::u16string_view path, int32_t width, int32_t height) {
    q.os.PutFile(path, "BM");
    q.skin.PutPicture(path, width, height);
  }
  void Start() {
    q.Start();
    q.skin.shown.clear();
    q.skin.balloon_answers.clear();
  }
  MessageWindow& Balloon() { return q.window.Skin()->Messages(); }
  void Seconds(int n) {
    for (int i = 0; i < n; ++i) Balloon().OnSecondTick();
  }
  std::u16string LastBalloon() const {
    return q.skin.balloon_answers.empty() ? u"(none)" : q.skin.balloon_answers.back().text;
  }
  Instance q;
};

// --- the skin file -------------------------------------------------------------------------

TEST_F(SkinTest, NumbersMissingOrNotIntegersCountAsZeroAndASkinWithoutPictureIsTheDefault) {
  q.os.PutFile(kSkinFile,
               "[C]\r\nFileName=c.bmp\r\nIY=\r\nIW=wide\r\nFRX=12.6\r\nFRY=-7\r\n"
               "FLX=99999999999\r\n");
  q.Start();
  const SkinEntry c = ReadSkin(q.ctx, u"C");
  EXPECT_EQ(c.name, u"C");
  EXPECT_EQ(c.file, u"c.bmp");
  EXPECT_EQ(c.numbers.iy, 0);    // empty
  EXPECT_EQ(c.numbers.iw, 0);    // a word
  EXPECT_EQ(c.numbers.frx, 13);  // a number is rounded
  EXPECT_EQ(c.numbers.fry, -7);
  EXPECT_EQ(c.numbers.flx, 0);  // beyond 32 bits
  EXPECT_EQ(c.numbers.fly, 0);  // missing
  // A skin without picture falls back to the default.
  q.os.PutFile(kSkinFile, "[A]\r\nFileName=a.bmp\r\nIY=40\r\n[EMPTY]\r\nFileName=\r\nIY=99\r\n");
  for (const char16_t* name : {u"nosuch", u"EMPTY", u""}) {
    const SkinEntry e = ReadSkin(q.ctx, name);
    EXPECT_EQ(e.name, u"A") << Utf16ToUtf8(name);
    EXPECT_EQ(e.file, u"a.bmp");
    EXPECT_EQ(e.numbers.iy, 40);
  }
  EXPECT_EQ(SkinPicturePath(q.ctx, u"a.bmp"), kA);
}

// --- the start-up choice --------------------------------------------------------------------

TEST_F(SkinTest, StartsSkinnedWithTheConfiguredPicture) {
  q.Start();
  EXPECT_EQ(q.window.Kind(), WindowKind::kSkinned);
  ASSERT_EQ(q.skin.shown.size(), 1u);
  EXPECT_EQ(q.skin.shown[0], kA);
  EXPECT_EQ(q.window.Skin()->State().remembered, u"A");
  EXPECT_EQ(q.skin.layout.box_top, 40);  // IY
  EXPECT_TRUE(q.ui.visible);
  // The greeting is in the balloon, not in the answer line.
  ASSERT_FALSE(q.skin.balloon_answers.empty());
  EXPECT_EQ(q.skin.balloon_answers.back().text, u"こんにちは");
  EXPECT_TRUE(q.ui.answers.empty());
}

TEST_F(SkinTest, PlainWindowWhenTheSkinCannotBeUsedAndSkinAnswersNoSkinMode) {
  struct Case {
    const char* why;
    std::function<void(Instance&)> prepare;
  };
  const Case cases[] = {
      {"old Windows", [](Instance& i) { i.os.windows_major = 4; }},
      {"picture missing", [](Instance& i) { i.os.RemoveFile(kA); }},
      {"picture unreadable", [](Instance& i) { i.skin.PutPicture(u"C:\\other.bmp", 1, 1); }},
      {"no skin set", [](Instance& i) { i.os.PutFile(kConfig, "[SYSTEM]\r\nVersion=0.50\r\n"); }},
  };
  for (const Case& c : cases) {
    Instance fresh;
    fresh.PutDefaultMessages(u"[SYSTEM]\r\nSTART=こんにちは\r\n");
    fresh.os.PutFile(kConfig, "[SYSTEM]\r\nVersion=0.50\r\nSKIN=A\r\n");
    fresh.os.PutFile(kSkinFile, "[A]\r\nFileName=a.bmp\r\n");
    fresh.os.PutFile(kA, "BM");
    if (std::string(c.why) != "picture unreadable") fresh.skin.PutPicture(kA, 10, 10);
    c.prepare(fresh);
    fresh.Start();
    EXPECT_EQ(fresh.window.Kind(), WindowKind::kPlain) << c.why;
    EXPECT_TRUE(fresh.skin.shown.empty()) << c.why;
    EXPECT_EQ(fresh.ui.LastAnswer(), u"こんにちは") << c.why;
    fresh.Type(u"SKIN A");
    EXPECT_EQ(fresh.ui.LastAnswer(), u"SKIN_NOSKINMODE") << c.why;
    EXPECT_EQ(fresh.ui.answers.back().time, 5);
  }
}

// --- lasting and temporary skins -------------------------------------------------------------

TEST_F(SkinTest, AnAnswersOwnSkinLastsAsLongAsItsMessage) {
  Start();
  q.Type(u"SKIN B");
  EXPECT_EQ(q.skin.ShownPicture(), kB);
  EXPECT_EQ(q.skin.layout.width, 300);  // the command box is wider than the picture
  EXPECT_EQ(q.skin.layout.picture_left, 50);
  EXPECT_EQ(q.window.Skin()->State().remembered, u"B");
  EXPECT_TRUE(q.skin.balloon_answers.empty());  // no answer on success

  q.Type(u"ANS hi||A");
  EXPECT_EQ(q.skin.ShownPicture(), kA);
  EXPECT_EQ(LastBalloon(), u"hi");
  EXPECT_EQ(q.window.Skin()->State().remembered, u"B");
  EXPECT_EQ(q.window.Skin()->State().temporary, 1);

  q.Type(u"ANS next");  // the next answer brings the lasting skin back first
  EXPECT_EQ(q.skin.shown, (std::vector<std::u16string>{kB, kA, kB}));
  EXPECT_EQ(LastBalloon(), u"next");
  EXPECT_EQ(q.window.Skin()->State().temporary, 0);

  q.Type(u"ANS again||A 2");
  Seconds(1);
  EXPECT_EQ(q.skin.ShownPicture(), kA);
  Seconds(1);  // the balloon hides itself: the lasting skin comes back
  EXPECT_EQ(q.skin.ShownPicture(), kB);
  EXPECT_FALSE(q.skin.balloon_visible);
  EXPECT_EQ(q.skin.shown.size(), 5u);
}

TEST_F(SkinTest, CatalogueTextsCarryTheSkin) {
  Start();
  q.Type(u"ANS MINE_A");
  EXPECT_EQ(q.skin.ShownPicture(), kA);
  EXPECT_EQ(LastBalloon(), u"with a");
  q.Type(u"SKIN B");
  q.Type(u"ANS MINE_NO");  // two parts: no skin
  EXPECT_EQ(q.skin.ShownPicture(), kB);
  q.Type(u"ANS a|b|A|d");  // four parts: no skin either
  EXPECT_EQ(q.skin.ShownPicture(), kB);
  EXPECT_EQ(LastBalloon(), u"a");
}

TEST_F(SkinTest, EverySkinChangePlacesTheWindowAtItsStoredPositionWithoutThePlainWidth) {
  Config(u"SKIN=A\r\nPX=300\r\nPY=400\r\nWW=4185");
  Start();
  EXPECT_EQ(q.ui.rect.left, 300);
  q.ui.MoveWindowTo(10, 20);  // dragged
  q.Type(u"ANS x||B");
  EXPECT_EQ(q.ui.rect.left, 300);
  EXPECT_EQ(q.ui.rect.top, 400);
  EXPECT_EQ(q.ui.rect.right - q.ui.rect.left, 300);  // "WW" does not apply, nor is it stored
  q.ui.MoveWindowTo(10, 20);
  q.Type(u"WRITE");
  EXPECT_EQ(q.Config(u"SYSTEM", u"PX"), u"10");
  EXPECT_EQ(q.Config(u"SYSTEM", u"WW"), u"4185");
}

TEST_F(SkinTest, APictureThatDoesNotLoadKeepsThePreviousOne) {
  q.os.PutFile(kSkinFile,
               "[A]\r\nFileName=a.bmp\r\nIY=40\r\n[BAD]\r\nFileName=bad.bmp\r\nIY=7\r\n"
               "[LOOP]\r\nFileName=bad.bmp\r\n");
  Start();
  q.Type(u"SKIN BAD");
  EXPECT_TRUE(q.skin.shown.empty());
  EXPECT_EQ(q.window.Skin()->State().remembered, u"A");
  EXPECT_EQ(q.window.Skin()->State().numbers.iy, 40);
  EXPECT_EQ(LastBalloon(), u"読めない C:\\quorix\\bad.bmp");
  EXPECT_EQ(q.skin.balloon_answers.back().time, 5);
  EXPECT_EQ(q.ctx.answer.last_ok, 0);

  // An answer's own skin that fails: the report flashes, the answer and #A stay.
  q.ctx.answer.params[0] = u"mine";
  q.Type(u"ANS hello||BAD");
  EXPECT_EQ(q.ctx.answer.params[0], u"mine");
  EXPECT_EQ(LastBalloon(), u"hello");
  EXPECT_EQ(q.ctx.answer.text, u"hello");
  EXPECT_EQ(q.window.Skin()->State().temporary, 0);

  // A report that names a broken skin itself ends.
  q.os.PutFile(u"C:\\quorix\\QRX_CORE.MSG",
               q.os.ToAnsi(u"[SKIN]\r\nPICTURE-ERR=broken #A||LOOP\r\n"));
  q.Type(u"SKIN LOOP");
  EXPECT_EQ(LastBalloon(), u"broken C:\\quorix\\bad.bmp");
  EXPECT_TRUE(q.skin.shown.empty());
}

TEST_F(SkinTest, SkinFileWithNothingForTheDefaultEither) {
  q.os.PutFile(kSkinFile, "[A]\r\nFileName=a.bmp\r\n");
  Start();
  Config(u"SKIN=GONE");  // changed after the start: used from the next one
  q.Type(u"SKIN nosuch");
  EXPECT_EQ(LastBalloon(), u"読めない C:\\quorix\\");
  EXPECT_EQ(q.window.Skin()->State().remembered, u"A");
}

// --- the skinned window's answers ---------------------------------------------------------------

// --- the balloon's countdown --------------------------------------------------------------------

TEST_F(SkinTest, BalloonHidesAfterItsTimeOrADoubleClick) {
  Start();
  q.Type(u"ANS three 3");
  Seconds(2);
  EXPECT_TRUE(q.skin.balloon_visible);
  Seconds(1);
  EXPECT_FALSE(q.skin.balloon_visible);
  EXPECT_EQ(Balloon().DisplayTime(), 0);

  q.Type(u"ANS zero 0");
  EXPECT_TRUE(q.skin.balloon_visible);
  Seconds(1);
  EXPECT_FALSE(q.skin.balloon_visible);

  q.Type(u"ANS kept -1");
  Seconds(100);
  EXPECT_TRUE(q.skin.balloon_visible);
  EXPECT_EQ(Balloon().Elapsed(), 0);
  Balloon().OnDoubleClick();
  EXPECT_FALSE(q.skin.balloon_visible);
  EXPECT_EQ(q.skin.hidden_by_answer, 0);
  q.Type(u"ANS kept||B -1");  // a double click also returns from an answer's skin
  EXPECT_EQ(q.skin.ShownPicture(), kB);
  Balloon().OnDoubleClick();
  EXPECT_EQ(q.skin.ShownPicture(), kA);
  EXPECT_EQ(q.window.Skin()->State().temporary, 0);
}

TEST_F(SkinTest, BalloonFollowsTheWindowOnlyWhenItMoves) {
  Start();
  q.Type(u"ANS here -1");
  ASSERT_FALSE(q.skin.places.empty());
  const BalloonPlace first = q.skin.places.back();
  EXPECT_TRUE(first.right);
  EXPECT_EQ(first.x, q.ui.rect.left + 150);
  EXPECT_EQ(first.y, q.ui.rect.top + 44 - 34);
  const size_t placed = q.skin.places.size();
  for (int i = 0; i < 5; ++i) Balloon().OnFollowTick();
  EXPECT_EQ(q.skin.places.size(), placed);  // nothing moved
  q.ui.MoveWindowTo(1200, 500);             // to the right edge
  Balloon().OnFollowTick();
  ASSERT_EQ(q.skin.places.size(), placed + 1);
  const BalloonPlace left = q.skin.places.back();
  EXPECT_FALSE(left.right);
  EXPECT_EQ(left.text_left, 8);
  EXPECT_EQ(left.x, 1200 + 10 - 222);
  EXPECT_EQ(left.y, 500 + 54 - 34);
  q.Type(u"SKIN A");  // a new skin places the balloon again, though nothing moved
  q.skin.balloon_visible = true;
  Balloon().OnFollowTick();
  EXPECT_EQ(q.skin.places.size(), placed + 2);
}

TEST_F(SkinTest, ExitHidesTheBalloon) {
  Start();
  q.Type(u"ANS stay -1");
  q.Type(u"EXIT");
  EXPECT_FALSE(q.skin.balloon_visible);
  EXPECT_TRUE(q.ui.quit);
}

}  // namespace
}  // namespace qrx::test
