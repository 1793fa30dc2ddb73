// ECHO, SH and LHA with the POSIX platform on real files and real programs.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "base/text.h"
#include "commands/registry.h"
#include "core/context.h"
#include "fake/fake_ui.h"
#include "fake/scoped.h"
#include "interpreter/dispatcher.h"
#include "platform/posix/posix_platform.h"
#include "ui/main_window.h"

namespace qrx::test {
namespace {

namespace fs = std::filesystem;

// Writes its folder and arguments to out.txt and its parent to ppid beside itself, then "done".
constexpr char kRecorder[] =
    "#!/bin/sh\n"
    "d=${0%/*}\n"
    "{ pwd; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; } > \"$d/out.txt\"\n"
    "echo \"$PPID\" > \"$d/ppid\"; : > \"$d/done\"\n"
    "exit \"${QRX_FAKE_EXIT:-0}\"\n";

class PosixShellTest : public ::testing::Test {
 protected:
  PosixShellTest() : clock(u'/'), ui(clock), ctx(os, ui), window(ctx, ui) {
    ctx.main_form = &window;
    ctx.interp.commands = CommandTable();  // no start-up here
    ctx.paths.message = U("QRX_CORE.MSG");
    dir.Put("QRX_CORE.MSG", os.ToAnsi(u"[LHA32]\r\n0=archived\r\nERR=archive error #A\r\n"));
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "p");
  }
  std::u16string U(std::string_view name) const { return Utf8ToUtf16(dir / name); }
  void Run(std::u16string_view line) { RunTopLevelLine(ctx, line); }
  void PutProgram(std::string_view name, std::string_view text = kRecorder) const {
    dir.Put(name, text);
    fs::permissions(dir / name, fs::perms::owner_all);
  }
  // What a started program recorded, once it is done; the marker goes for the next run.
  std::string Recorded(std::string_view folder) const {
    const std::string marker = dir / (std::string(folder) + "/done");
    for (int i = 0; i < 500 && !fs::exists(marker); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!fs::remove(marker)) return "(not done)";
    return dir.Get(std::string(folder) + "/out.txt");
  }
  int32_t Open(std::u16string_view file, std::u16string_view folder = u"") {
    return os.ShellExecute(0, u"OPEN", file, u"", folder, 1);
  }

  TempFolder dir;
  PosixPlatform os;
  FakePlatform clock;
  FakeUi ui;
  Context ctx;
  MainWindow window;
  ScopedEnv path{"PATH", (dir / "bin").c_str()};
};

TEST_F(PosixShellTest, EchoAppendsAnsiLinesToFilesOnlyAndNeverBlocks) {
  dir.Put("log.txt", "old\r\n");
  Run(u"ECHO " + U("log.txt") + u" 漢字");
  EXPECT_EQ(dir.Get("log.txt"), "old\r\n\x8a\xbf\x8e\x9a\r\n");
  EXPECT_EQ(ui.LastAnswer(), u"ECHO_ADD");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  for (const char* target : {"fifo", "bin", "no/such/folder.txt"}) {
    Run(u"ECHO " + U(target) + u" x");
    EXPECT_EQ(ui.LastAnswer(), u"ECHO_ERR") << target;
  }
}

TEST_F(PosixShellTest, ProgramsGetWindowsStyleArgumentsAndAreNotOurChildren) {
  PutProgram("p/run.sh");
  fs::create_directories(dir / "work");
  Run(u"SH \"" + U("p/run.sh") + u"\" one \"two three\" \\\"q\\\" >" + U("work"));
  EXPECT_EQ(Recorded("p"), dir / "work" + "\n[one]\n[two three]\n[\"q\"]\n");
  EXPECT_NE(dir.Get("p/ppid"), std::to_string(::getpid()) + "\n");  // adopted: no zombie
  EXPECT_EQ(ui.LastAnswer(), u"");                                  // the wait answer was cleared
  // A working folder that is not there refuses the launch (path not found); nothing runs.
  EXPECT_EQ(Open(U("p/run.sh"), U("gone/")), 3);
  dir.Put("p/plain", "");
  EXPECT_EQ(Open(U("p/run.sh"), U("p/plain/")), 3);
  Run(u"/D");  // in direct mode the refusal is the line's answer
  Run(U("p/run.sh") + u" x >" + U("gone"));
  EXPECT_EQ(ui.LastAnswer(), u"SH_FILE-ERR");
}

TEST_F(PosixShellTest, MissingProgramsGiveTheShellsCodesAndOtherTargetsGoToTheOpener) {
  EXPECT_EQ(Open(U("none.sh")), 2);
  EXPECT_EQ(Open(U("nofolder/x.sh")), 3);
  EXPECT_EQ(Open(u"qrx-no-such-program"), 2);
  EXPECT_EQ(Open(u""), 2);
  dir.Put("doc.txt", "text");
  EXPECT_EQ(Open(U("doc.txt")), 31);  // no opener
  PutProgram("bin/xdg-open");
  EXPECT_GT(os.ShellExecute(0, u"OPEN", U("doc.txt"), u"ignored", u"", 1), 32);
  EXPECT_TRUE(Recorded("bin").ends_with("\n[" + (dir / "doc.txt") + "]\n"));
  EXPECT_GT(Open(u"https://example.invalid/a?b"), 32);
  EXPECT_TRUE(Recorded("bin").ends_with("\n[https://example.invalid/a?b]\n"));
}

TEST_F(PosixShellTest, LhaRunsTheProgramAndAnswersByItsExitStatus) {
  Run(u"LHA l a.lzh");
  EXPECT_EQ(ui.LastAnswer(), u"LHA32_NONE");
  PutProgram("bin/lha");
  Run(u"LHA x \"my a.lzh\" out\\");
  EXPECT_TRUE(dir.Get("bin/out.txt").ends_with("\n[x]\n[my a.lzh]\n[out\\]\n"));
  EXPECT_EQ(ui.LastAnswer(), u"archived");
  ScopedEnv exit_code("QRX_FAKE_EXIT", "3");
  Run(u"LHA t a.lzh");
  EXPECT_EQ(ui.LastAnswer(), u"archive error 3");
}

}  // namespace
}  // namespace qrx::test
