// The catalogue merge of start-up and sounds on the POSIX platform with real files.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/startup.h"
#include "base/text.h"
#include "core/context.h"
#include "core/message_catalogue.h"
#include "fake/fake_ui.h"
#include "fake/scoped.h"
#include "interpreter/dispatcher.h"
#include "platform/posix/posix_platform.h"
#include "ui/main_window.h"

namespace qrx::test {
namespace {

// The real platform with the program folder moved into a temporary folder.
class MovedPosixPlatform : public PosixPlatform {
 public:
  explicit MovedPosixPlatform(std::string dir) : dir_(std::move(dir)) {}
  std::u16string ProgramDirectory() override { return Utf8ToUtf16(dir_); }

 private:
  std::string dir_;
};

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class PosixStartTest : public ::testing::Test {
 protected:
  PosixStartTest()
      : os(dir.path()), fake_clock(u'/'), ui(fake_clock), ctx(os, ui), window(ctx, ui) {
    ctx.main_form = &window;
    dir.Put("DEF.MSG", ReadWhole(QRX_DATA_DIR "/DEF.MSG"));
  }
  void Start() {
    try {
      StartUp(ctx, u"");
    } catch (const AppEnding&) {
    }
  }
  TempFolder dir;
  MovedPosixPlatform os;
  FakePlatform fake_clock;
  FakeUi ui;
  Context ctx;
  MainWindow window;
};

TEST_F(PosixStartTest, MergeOnRealFilesKeepsUserTextsAndRefillsTheRest) {
  dir.Put("QRX_CORE.INI", "[SYSTEM]\r\nVersion=0.40\r\n");
  const std::string user =
      os.ToAnsi(u"; my own words\r\n[SET]\r\nERR1=だめです #A\r\nERR2=\r\n\r\n[MINE]\r\nX=1\r\n");
  dir.Put("QRX_CORE.MSG", user);
  Start();
  const std::u16string msg = Utf8ToUtf16(dir / "QRX_CORE.MSG");
  const std::u16string def = Utf8ToUtf16(dir / "DEF.MSG");
  EXPECT_EQ(os.ProfileGetString(u"SET", u"ERR1", u"", msg), u"だめです #A");
  EXPECT_EQ(os.ProfileGetString(u"SET", u"ERR2", u"", msg),
            os.ProfileGetString(u"SET", u"ERR2", u"", def));
  EXPECT_EQ(os.ProfileGetString(u"MINE", u"X", u"", msg), u"1");
  // Every key of every section of DEF.MSG is there now, wherever its section stands.
  for (const auto& section : os.ProfileSectionNames(def)) {
    for (const auto& key : os.ProfileKeyNames(section, def)) {
      EXPECT_FALSE(os.ProfileGetString(section, key, u"", msg).empty())
          << Utf16ToUtf8(section) << "_" << Utf16ToUtf8(key);
    }
  }
  EXPECT_EQ(dir.Get("QRX_CORE.MSG").rfind("; my own words\r\n[SET]\r\n", 0), 0u);
  EXPECT_EQ(os.ProfileGetString(u"SYSTEM", u"Version", u"", Utf8ToUtf16(dir / "QRX_CORE.INI")),
            u"0.50");
}

// --- sounds through a player found on PATH -----------------------------------------------

TEST(PosixSoundTest, PlayerOnPathGetsTheFileAndMissingPlayersAreHarmless) {
  TempFolder dir;
  dir.Put("aplay", "#!/bin/sh\necho \"$1\" >> \"${0%/*}/played\"\n");
  ::chmod((dir / "aplay").c_str(), 0755);
  dir.Put("ding.wav", "RIFF");
  PosixPlatform os;
  {
    ScopedEnv path("PATH", dir.path().c_str());
    os.PlaySound(Utf8ToUtf16(dir / "ding.wav"), 0);     // waits for the player
    os.PlaySound(Utf8ToUtf16(dir / "missing.wav"), 0);  // nothing to play
    EXPECT_EQ(dir.Get("played"), dir / "ding.wav" + "\n");
    os.PlaySound(Utf8ToUtf16(dir / "ding.wav"), 1);  // returns at once
  }
  {
    ScopedEnv path("PATH", "/nonexistent");
    os.PlaySound(Utf8ToUtf16(dir / "ding.wav"), 0);  // no player at all: nothing happens
  }
}

}  // namespace
}  // namespace qrx::test
