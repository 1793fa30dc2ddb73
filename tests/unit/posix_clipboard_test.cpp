// The POSIX clipboard against fake desktop helpers: shell scripts in a folder that is all PATH.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "fake/scoped.h"
#include "platform/posix/posix_platform.h"

namespace qrx {
namespace {

using test::ScopedEnv;

// Keeps its clipboard in the file "store" beside itself and logs its arguments.
constexpr char kStoringHelper[] =
    "#!/bin/sh\n"
    "d=${0%/*}; echo \"${0##*/} $*\" >> \"$d/log\"\n"
    "case \"$0 $*\" in *-in|*wl-copy*) cat > \"$d/store\" ;; *) cat \"$d/store\" ;; esac\n";

class PosixClipboardTest : public ::testing::Test {
 protected:
  // PATH holds only the helpers' folder: a script finds its own tools through /bin.
  void Helper(const std::string& name, std::string script) {
    script.insert(script.find('\n') + 1, "PATH=/usr/bin:/bin\n");
    dir.Put(name, script);
    ::chmod((dir / name).c_str(), 0755);
  }

  test::TempFolder dir;
  ScopedEnv path{"PATH", dir.path().c_str()};
  ScopedEnv display{"DISPLAY", ":99"};
  ScopedEnv wayland{"WAYLAND_DISPLAY", nullptr};
  PosixPlatform os;
};

TEST_F(PosixClipboardTest, TheDesktopsHelperCarriesTheTextAsUtf8) {
  ASSERT_TRUE(os.SetClipboardText(u"local"));  // a desktop but no helper: kept in the process
  EXPECT_EQ(os.GetClipboardText(), u"local");
  Helper("xclip", kStoringHelper);
  EXPECT_EQ(os.GetClipboardText(), std::nullopt);  // the helper fails: nothing on it
  ASSERT_TRUE(os.SetClipboardText(u"日本語 text\r\nline 2"));
  EXPECT_EQ(os.GetClipboardText(), u"日本語 text\r\nline 2");
  EXPECT_EQ(dir.Get("log"),
            "xclip -selection clipboard -out -target UTF8_STRING\n"
            "xclip -selection clipboard -in\n"
            "xclip -selection clipboard -out -target UTF8_STRING\n");
  ScopedEnv on_wayland("WAYLAND_DISPLAY", "wayland-0");  // Wayland comes first
  Helper("wl-copy", kStoringHelper);
  Helper("wl-paste", kStoringHelper);
  ASSERT_TRUE(os.SetClipboardText(u"w"));
  EXPECT_EQ(os.GetClipboardText(), u"w");
  EXPECT_TRUE(dir.Get("log").ends_with(
      "wl-copy --type text/plain;charset=utf-8\nwl-paste --no-newline --type text/plain\n"));
  ScopedEnv no_display("DISPLAY", nullptr);  // helpers without a desktop are not used
  ScopedEnv no_wayland("WAYLAND_DISPLAY", nullptr);
  ASSERT_TRUE(os.SetClipboardText(u"still local"));
  EXPECT_EQ(os.GetClipboardText(), u"still local");
  EXPECT_EQ(dir.Get("store"), "w");
}

TEST_F(PosixClipboardTest, HelpersThatFailStopReadingOrHangCannotHoldOrEndTheProgram) {
  Helper("xclip", "#!/bin/sh\ncat > /dev/null\nexit 1\n");
  EXPECT_FALSE(os.SetClipboardText(u"x"));
  Helper("xclip", "#!/bin/sh\nexit 0\n");
  EXPECT_FALSE(os.SetClipboardText(std::u16string(1 << 20, u'x')));  // no SIGPIPE
  // As xclip does: read the text, then leave a process behind that serves it.
  // (A set that waited for it would fail at the deadline.)
  Helper("xclip", "#!/bin/sh\ncat > \"$(dirname \"$0\")/store\"\n(sleep 3) &\nexit 0\n");
  EXPECT_TRUE(os.SetClipboardText(u"served"));
  EXPECT_EQ(dir.Get("store"), "served");
  Helper("xclip", "#!/bin/sh\necho $$ > \"$(dirname \"$0\")/pid\"\nexec sleep 30\n");
  EXPECT_EQ(os.GetClipboardText(), std::nullopt);
  const pid_t pid = std::atoi(dir.Get("pid").c_str());
  ASSERT_GT(pid, 0);
  EXPECT_EQ(::kill(pid, 0), -1);  // killed at the deadline and reaped: not even a zombie
  EXPECT_EQ(errno, ESRCH);
}

}  // namespace
}  // namespace qrx
