// The skinned layout on the fake: the skin file, the start-up choice, lasting and temporary
// skins, pictures that do not load, and the message balloon's countdown and following.
#include <gtest/gtest.h>

#include <array>
#include <tuple>

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
  SkinTest() { Prepare(q); }
  // The catalogue, a configuration on skin A and a skin file whose two pictures load.
  static void Prepare(Instance& i) {
    i.PutDefaultMessages(
        u"[SYSTEM]\r\nSTART=こんにちは\r\nEND=またね\r\n"
        u"[SKIN]\r\nNOSKINMODE=スキンなし\r\nPICTURE-ERR=読めない #A\r\n"
        u"[MINE]\r\nA=with a|x.wav|A\r\nNO=no skin|\r\n");
    Config(i, u"SKIN=A");
    i.os.PutFile(kSkinFile,
                 "[A]\r\nFileName=a.bmp\r\nIY=40\r\nIW=100\r\nFRX=150\r\nFRY=44\r\nFLX=10\r\n"
                 "FLY=54\r\n[B]\r\nFileName=b.bmp\r\nIY=5\r\nIW=300\r\n");
    for (auto [path, width, height] : {std::tuple{kA, 160, 120}, {kB, 200, 60}}) {
      i.os.PutFile(path, "BM");
      i.skin.PutPicture(path, width, height);
    }
  }
  static void Config(Instance& i, std::u16string_view system_lines) {
    i.os.PutFile(kConfig, i.os.ToAnsi(u"[SYSTEM]\r\nVersion=0.50\r\n" +
                                      std::u16string(system_lines) + u"\r\n"));
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

TEST_F(SkinTest, NumbersMissingOrNotIntegersCountAsZeroAndASkinWithoutPictureIsTheDefault) {
  q.os.PutFile(kSkinFile,
               "[C]\r\nFileName=c.bmp\r\nIY=\r\nIW=wide\r\nFRX=12.6\r\nFRY=-7\r\n"
               "FLX=99999999999\r\n");
  q.Start();
  const SkinNumbers c = ReadSkin(q.ctx, u"C").numbers;  // empty, a word, rounded, -7, too big
  EXPECT_EQ((std::array{c.iy, c.iw, c.frx, c.fry, c.flx, c.fly}), (std::array{0, 0, 13, -7, 0, 0}));
  // A skin without picture falls back to the default.
  q.os.PutFile(kSkinFile, "[A]\r\nFileName=a.bmp\r\nIY=40\r\n[EMPTY]\r\nFileName=\r\nIY=99\r\n");
  for (const char16_t* name : {u"nosuch", u"EMPTY", u""}) {
    const SkinEntry e = ReadSkin(q.ctx, name);
    EXPECT_EQ(e.name + e.file, u"Aa.bmp") << Utf16ToUtf8(name);
    EXPECT_EQ(e.numbers.iy, 40);
  }
  EXPECT_EQ(SkinPicturePath(q.ctx, u"a.bmp"), kA);
}

TEST_F(SkinTest, StartsSkinnedWithTheConfiguredPicture) {
  q.Start();
  EXPECT_EQ(q.window.Kind(), WindowKind::kSkinned);
  EXPECT_EQ(q.skin.shown, std::vector<std::u16string>{kA});
  EXPECT_EQ(q.skin.layout.box_top, 40);  // IY
  // The greeting is in the balloon, not in the answer line.
  EXPECT_EQ(LastBalloon(), u"こんにちは");
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
      {"picture unreadable",
       [](Instance& i) {
         i.os.PutFile(kSkinFile, "[A]\r\nFileName=c.bmp\r\n");
         i.os.PutFile(u"C:\\quorix\\c.bmp", "BM");
       }},
      {"no skin set", [](Instance& i) { Config(i, u""); }},
  };
  for (const Case& c : cases) {
    Instance fresh;
    Prepare(fresh);
    c.prepare(fresh);
    fresh.Start();
    EXPECT_EQ(fresh.window.Kind(), WindowKind::kPlain) << c.why;
    EXPECT_TRUE(fresh.skin.shown.empty()) << c.why;
    EXPECT_EQ(fresh.ui.LastAnswer(), u"こんにちは") << c.why;
    fresh.Type(u"SKIN A");
    EXPECT_EQ(fresh.ui.LastAnswer(), u"スキンなし") << c.why;
  }
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
  Config(q, u"SKIN=A\r\nPX=300\r\nPY=400\r\nWW=4185");
  Start();
  EXPECT_EQ(q.ui.rect.left, 300);
  q.ui.MoveWindowTo(10, 20);  // dragged
  q.Type(u"ANS x||B");
  // "WW" does not apply, nor is it stored.
  EXPECT_EQ(Corners(q.ui.rect), Corners({300, 400, 600, 460}));
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
  EXPECT_EQ(q.window.Skin()->State().numbers.iy, 40);
  EXPECT_EQ(LastBalloon(), u"読めない C:\\quorix\\bad.bmp");
  EXPECT_EQ(q.ctx.answer.last_ok, 0);
  // An answer's own skin that fails: the report flashes, the answer and #A stay.
  q.ctx.answer.params[0] = u"mine";
  q.Type(u"ANS hello||BAD");
  EXPECT_EQ(q.ctx.answer.params[0], u"mine");
  EXPECT_EQ(LastBalloon(), u"hello");
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
  Config(q, u"SKIN=GONE");  // changed after the start: used from the next one
  q.Type(u"SKIN nosuch");
  EXPECT_EQ(LastBalloon(), u"読めない C:\\quorix\\");
  EXPECT_EQ(q.window.Skin()->State().remembered, u"A");
}

TEST_F(SkinTest, BalloonHidesAfterItsTimeOrADoubleClickOrAtTheEnd) {
  Start();
  q.Type(u"ANS zero 0");
  EXPECT_TRUE(q.skin.balloon_visible);
  Seconds(1);
  EXPECT_FALSE(q.skin.balloon_visible);
  q.Type(u"ANS kept -1");
  Seconds(100);
  EXPECT_TRUE(q.skin.balloon_visible);
  Balloon().OnDoubleClick();
  EXPECT_FALSE(q.skin.balloon_visible);
  EXPECT_EQ(q.skin.hidden_by_answer, 0);
  q.Type(u"ANS kept||B -1");  // a double click also returns from an answer's skin
  EXPECT_EQ(q.skin.ShownPicture(), kB);
  Balloon().OnDoubleClick();
  EXPECT_EQ(q.skin.ShownPicture(), kA);
  q.Type(u"ANS stay -1");
  q.Type(u"EXIT");  // the end hides the balloon
  EXPECT_FALSE(q.skin.balloon_visible);
}

TEST_F(SkinTest, BalloonFollowsTheWindowOnlyWhenItMoves) {
  Start();
  q.Type(u"ANS here -1");
  ASSERT_FALSE(q.skin.places.empty());
  EXPECT_EQ(q.skin.places.back().x, q.ui.rect.left + 150);
  const size_t placed = q.skin.places.size();
  for (int i = 0; i < 5; ++i) Balloon().OnFollowTick();
  EXPECT_EQ(q.skin.places.size(), placed);  // nothing moved
  q.ui.MoveWindowTo(1200, 500);             // to the right edge
  Balloon().OnFollowTick();
  ASSERT_EQ(q.skin.places.size(), placed + 1);
  EXPECT_EQ(q.skin.places.back().x, 1200 + 10 - 222);  // to the left
  q.Type(u"SKIN A");  // a new skin places the balloon again, though nothing moved
  q.skin.balloon_visible = true;
  Balloon().OnFollowTick();
  EXPECT_EQ(q.skin.places.size(), placed + 2);
}

}  // namespace
}  // namespace qrx::test
