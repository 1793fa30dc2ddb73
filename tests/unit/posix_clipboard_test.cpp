// The POSIX clipboard against fake desktop helpers: small shell scripts named xclip,
// wl-copy and wl-paste in a temporary folder that is the whole PATH.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/text.h"
#include "fake/scoped.h"
#include "platform/posix/posix_platform.h"

namespace qrx {
namespace {

using test::ScopedEnv;
using test::TempFolder;

// Keeps its clipboard in the file "store" beside itself and logs its arguments.
constexpr char kStoringHelper[] =
    "#!/bin/sh\n"
    "dir=$(dirname \"$0\")\n"
    "echo \"$(basename \"$0\") $*\" >> \"$dir/log\"\n"
    "case \" $* \" in\n"
    "  *' -in '*|*' --type text/plain;charset=utf-8 '*) cat > \"$dir/store\" ;;\n"
    "  *) [ -f \"$dir/store\" ] || exit 1; cat \"$dir/store\" ;;\n"
    "esac\n";

class PosixClipboardTest : public ::testing::Test {
 protected:
  // PATH holds only the helpers' folder: a script finds its own tools through /bin.
  void Helper(const std::string& name, std::string script) {
    script.insert(script.find('\n') + 1, "PATH=/usr/bin:/bin\n");
    dir.Put(name, script);
    ::chmod((dir / name).c_str(), 0755);
  }
  bool Exists(const std::string& name) { return std::filesystem::exists(dir / name); }

  TempFolder dir;
  ScopedEnv path{"PATH", dir.path().c_str()};
  ScopedEnv display{"DISPLAY", ":99"};
  ScopedEnv wayland{"WAYLAND_DISPLAY", nullptr};
  PosixPlatform os;
};

TEST_F(PosixClipboardTest, TextTravelsThroughXclipAsUtf8) {
  Helper("xclip", kStoringHelper);
  EXPECT_EQ(os.GetClipboardText(), std::nullopt);  // the helper fails: nothing on it
  ASSERT_TRUE(os.SetClipboardText(u"日本語 text\r\nline 2"));
  EXPECT_EQ(dir.Get("store"), "日本語 text\r\nline 2");
  EXPECT_EQ(os.GetClipboardText(), u"日本語 text\r\nline 2");
  EXPECT_EQ(dir.Get("log"),
            "xclip -selection clipboard -out -target UTF8_STRING\n"
            "xclip -selection clipboard -in\n"
            "xclip -selection clipboard -out -target UTF8_STRING\n");
}

TEST_F(PosixClipboardTest, WaylandComesFirst) {
  ScopedEnv on_wayland("WAYLAND_DISPLAY", "wayland-0");
  Helper("xclip", kStoringHelper);
  Helper("wl-copy", kStoringHelper);
  Helper("wl-paste", kStoringHelper);
  ASSERT_TRUE(os.SetClipboardText(u"w"));
  EXPECT_EQ(os.GetClipboardText(), u"w");
  EXPECT_EQ(dir.Get("log"),
            "wl-copy --type text/plain;charset=utf-8\n"
            "wl-paste --no-newline --type text/plain\n");
}

TEST_F(PosixClipboardTest, WithoutADesktopOrAHelperTheClipboardStaysInTheProcess) {
  os.SetClipboardText(u"local");  // DISPLAY set, but no helper on PATH
  EXPECT_EQ(os.GetClipboardText(), u"local");
  ScopedEnv no_display("DISPLAY", nullptr);
  Helper("xclip", kStoringHelper);  // a helper without a desktop is not used
  ASSERT_TRUE(os.SetClipboardText(u"still local"));
  EXPECT_EQ(os.GetClipboardText(), u"still local");
  EXPECT_FALSE(Exists("log"));
}

TEST_F(PosixClipboardTest, AFailingHelperIsAFailedWrite) {
  Helper("xclip", "#!/bin/sh\ncat > /dev/null\nexit 1\n");
  EXPECT_FALSE(os.SetClipboardText(u"x"));
}

TEST_F(PosixClipboardTest, AHelperThatStopsReadingCannotEndTheProgram) {
  Helper("xclip", "#!/bin/sh\nexit 0\n");
  const std::u16string big(1 << 20, u'x');
  EXPECT_FALSE(os.SetClipboardText(big));  // no SIGPIPE: the test goes on
}

TEST_F(PosixClipboardTest, AHelperThatStaysBehindToServeDoesNotHoldTheCall) {
  // As xclip does: read the text, then leave a process behind that serves it.
  Helper("xclip",
         "#!/bin/sh\n"
         "dir=$(dirname \"$0\")\n"
         "cat > \"$dir/store\"\n"
         "(sleep 3; echo gone > \"$dir/served\") &\n"
         "exit 0\n");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(os.SetClipboardText(u"served"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(dir.Get("store"), "served");
}

TEST_F(PosixClipboardTest, AHungHelperIsKilledAtTheDeadline) {
  Helper("xclip", "#!/bin/sh\necho $$ > \"$(dirname \"$0\")/pid\"\nexec sleep 30\n");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(os.GetClipboardText(), std::nullopt);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  const pid_t pid = std::atoi(dir.Get("pid").c_str());
  ASSERT_GT(pid, 0);
  EXPECT_EQ(::kill(pid, 0), -1);  // gone, and reaped: not even a zombie is left
  EXPECT_EQ(errno, ESRCH);
}

}  // namespace
}  // namespace qrx
