// Wallpaper, screen saver and the properties sheet with the POSIX platform, against stand-in
// desktop tools (gsettings, xset, gdbus, dbus-send) put first on PATH.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "base/text.h"
#include "fake/scoped.h"
#include "platform/posix/posix_platform.h"

namespace qrx::test {
namespace {

namespace fs = std::filesystem;

// Keeps each key in a file "schema.key"; with a file "forget" beside it, a set is accepted
// and kept nowhere, as with a settings service that is not running.
constexpr char kGsettings[] =
    "#!/bin/sh\n"
    "d=${0%/*}\n"
    "echo \"gsettings $*\" >> \"$d/log\"\n"
    "case $1 in\n"
    "  set) [ -f \"$d/forget\" ] || printf '%s\\n' \"$4\" > \"$d/$2.$3\" ;;\n"
    "  get) if [ -f \"$d/$2.$3\" ]; then /bin/cat \"$d/$2.$3\"; else echo \"''\"; fi ;;\n"
    "esac\n";
// "xset s on|off" keeps the timeout (600 or 0) that "xset q" shows.
constexpr char kXset[] =
    "#!/bin/sh\n"
    "d=${0%/*}\n"
    "echo \"xset $*\" >> \"$d/log\"\n"
    "case $1 in\n"
    "  s) if [ \"$2\" = on ]; then echo 600 > \"$d/timeout\"; else echo 0 > \"$d/timeout\"; fi ;;\n"
    "  q) echo 'Screen Saver:'; echo \"  prefer blanking:  yes    allow exposures:  yes\";\n"
    "     echo \"  timeout:  $(/bin/cat \"$d/timeout\")    cycle:  600\" ;;\n"
    "esac\n";
// Records each argument in brackets; fails when a file "fail" is beside it.
constexpr char kRecorder[] =
    "#!/bin/sh\n"
    "d=${0%/*}\n"
    "line=\"${0##*/}\"; for a in \"$@\"; do line=\"$line [$a]\"; done\n"
    "echo \"$line\" >> \"$d/log\"\n"
    "[ ! -f \"$d/fail\" ]\n";

class PosixDesktopTest : public ::testing::Test {
 protected:
  PosixDesktopTest()
      : path("PATH", (dir / "bin:" + std::string(std::getenv("PATH"))).c_str()),
        desktop("XDG_CURRENT_DESKTOP", "ubuntu:GNOME"),
        display("DISPLAY", nullptr) {
    fs::create_directories(dir / "bin");
    for (auto [name, text] : {std::pair{"gsettings", kGsettings}, std::pair{"xset", kXset},
                              std::pair{"gdbus", kRecorder}, std::pair{"dbus-send", kRecorder}}) {
      dir.Put(std::string("bin/") + name, text);
      fs::permissions(dir / (std::string("bin/") + name), fs::perms::owner_all);
    }
    dir.Put("my pic.png", "png");
  }
  std::string Log() {
    std::string log = dir.Get("bin/log");
    fs::remove(dir / "bin/log");
    return log;
  }
  std::string Stored(std::string_view key) { return dir.Get("bin/" + std::string(key)); }

  TempFolder dir;
  ScopedEnv path;
  ScopedEnv desktop;
  ScopedEnv display;
  PosixPlatform os;
};

TEST_F(PosixDesktopTest, WallpaperIsTheGnomePictureUriReadBack) {
  const std::string uri = "'file://" + dir.path() + "/my%20pic.png'\n";
  EXPECT_TRUE(os.SetWallpaper(Utf8ToUtf16(dir / "my pic.png")));
  EXPECT_EQ(Stored("org.gnome.desktop.background.picture-uri"), uri);
  EXPECT_EQ(Stored("org.gnome.desktop.background.picture-uri-dark"), uri);
  EXPECT_TRUE(os.SetWallpaper(u""));  // no picture: the wallpaper goes
  EXPECT_EQ(Stored("org.gnome.desktop.background.picture-uri"), "''\n");
  Log();
  EXPECT_FALSE(os.SetWallpaper(Utf8ToUtf16(dir.path())));  // a folder is no picture
  EXPECT_EQ(Log(), "");
  dir.Put("bin/forget", "");
  EXPECT_FALSE(os.SetWallpaper(Utf8ToUtf16(dir / "my pic.png")));
  ScopedEnv other("XDG_CURRENT_DESKTOP", "KDE");
  fs::remove(dir / "bin/forget");
  Log();
  EXPECT_FALSE(os.SetWallpaper(Utf8ToUtf16(dir / "my pic.png")));
  EXPECT_EQ(Log(), "");
}

TEST_F(PosixDesktopTest, ScreenSaverIsGnomesIdleActivationElseXset) {
  for (const bool on : {false, true}) {
    EXPECT_TRUE(os.SetScreenSaverActive(on));
    EXPECT_EQ(Stored("org.gnome.desktop.screensaver.idle-activation-enabled"),
              on ? "true\n" : "false\n");
  }
  Log();

  ScopedEnv plain("XDG_CURRENT_DESKTOP", nullptr);
  EXPECT_FALSE(os.SetScreenSaverActive(true));  // no desktop, no display
  ScopedEnv x11("DISPLAY", ":7");
  EXPECT_TRUE(os.SetScreenSaverActive(false));
  EXPECT_TRUE(os.SetScreenSaverActive(true));
  EXPECT_EQ(Log(), "xset s off\nxset q\nxset s on\nxset q\n");
  fs::remove(dir / "bin/xset");
  EXPECT_FALSE(os.SetScreenSaverActive(true));
}

TEST_F(PosixDesktopTest, PropertiesAskTheFileManagerOverDbus) {
  EXPECT_TRUE(os.ShowProperties(0, u"\"" + Utf8ToUtf16(dir / "my pic.png") + u"\""));
  const std::string uri = "file://" + dir.path() + "/my%20pic.png";
  EXPECT_EQ(Log(),
            "gdbus [call] [--session] [--timeout] [3] [--dest] [org.freedesktop.FileManager1] "
            "[--object-path] [/org/freedesktop/FileManager1] [--method] "
            "[org.freedesktop.FileManager1.ShowItemProperties] [['" +
                uri + "']] []\n");
  dir.Put("bin/fail", "");
  EXPECT_FALSE(os.ShowProperties(0, Utf8ToUtf16(dir / "my pic.png")));  // nobody answered
  fs::remove(dir / "bin/fail");
  Log();

  // Without gdbus, dbus-send asks the same.
  ScopedEnv only_ours("PATH", (dir / "bin").c_str());
  fs::remove(dir / "bin/gdbus");
  EXPECT_TRUE(os.ShowProperties(0, Utf8ToUtf16(dir.path())));
  EXPECT_EQ(Log(),
            "dbus-send [--session] [--print-reply] [--reply-timeout=3000] "
            "[--dest=org.freedesktop.FileManager1] [/org/freedesktop/FileManager1] "
            "[org.freedesktop.FileManager1.ShowItemProperties] [array:string:file://" +
                dir.path() + "] [string:]\n");
}

// A tool's exit ends the wait even when a helper it left behind still holds its output; a
// tool that never ends is ended, and the call fails instead of hanging.
TEST_F(PosixDesktopTest, ToolsAreWaitedForUntilTheyEndAndNoLonger) {
  dir.Put("bin/gdbus", "#!/bin/sh\n/bin/sleep 30 &\necho done\n");
  EXPECT_TRUE(os.ShowProperties(0, Utf8ToUtf16(dir.path())));
  dir.Put("bin/gdbus", "#!/bin/sh\nexec /bin/sleep 30\n");
  ScopedEnv only_ours("PATH", (dir / "bin").c_str());
  fs::remove(dir / "bin/dbus-send");
  EXPECT_FALSE(os.ShowProperties(0, Utf8ToUtf16(dir.path())));
}

}  // namespace
}  // namespace qrx::test
