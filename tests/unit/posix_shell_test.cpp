// CONV, ECHO, INI, SH and LHA with the POSIX platform on real files and real programs.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"
#include "fake/fake_ui.h"
#include "fake/scoped.h"
#include "interpreter/dispatcher.h"
#include "platform/posix/posix_platform.h"
#include "startup/context.h"
#include "ui/main_window.h"

namespace qrx::test {
namespace {

namespace fs = std::filesystem;

// Writes what it was started with: its folder, its parent and its arguments, then "done".
constexpr char kRecorder[] =
    "#!/bin/sh\n"
    "d=${0%/*}\n"
    "{ pwd; echo \"$PPID\"; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; } > \"$d/out.txt\"\n"
    ": > \"$d/done\"\n"
    "exit \"${QRX_FAKE_EXIT:-0}\"\n";

class PosixShellTest : public ::testing::Test {
 protected:
  PosixShellTest() : clock(u'/'), ui(clock), ctx(os, ui), window(ctx, ui) {
    ctx.main_form = &window;
    ctx.paths.config = U("QRX_CORE.INI");
    ctx.paths.message = U("QRX_CORE.MSG");
    dir.Put("QRX_CORE.MSG", os.ToAnsi(u"[LHA32]\r\n0=archived\r\nERR=archive error #A\r\n"));
    fs::create_directories(dir / "bin");
  }
  std::u16string U(std::string_view name) const { return Utf8ToUtf16(dir / name); }
  void Run(std::u16string_view line) { RunTopLevelLine(ctx, line); }
  std::u16string Last() const { return ui.LastAnswer(); }
  void PutProgram(std::string_view name, std::string_view text = kRecorder) const {
    dir.Put(name, text);
    fs::permissions(dir / name, fs::perms::owner_all);
  }
  // Waits for a started program to say it is done (started programs are not waited for).
  bool WaitForDone(std::string_view folder) const {
    const std::string marker = dir / (std::string(folder) + "/done");
    for (int i = 0; i < 500; ++i) {
      if (fs::exists(marker)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }
  std::string Recorded(std::string_view folder) const {
    return dir.Get(std::string(folder) + "/out.txt");
  }
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < text.size();) {
      const size_t end = text.find('\n', i);
      lines.push_back(text.substr(i, end - i));
      i = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
  }

  TempFolder dir;
  PosixPlatform os;
  FakePlatform clock;
  FakeUi ui;
  Context ctx;
  MainWindow window;
};

// --- CONV, ECHO, INI ----------------------------------------------------------------------

TEST_F(PosixShellTest, ConvRoundTripReplacesALongerOutput) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  dir.Put("a.bin", all);
  dir.Put("c.bin", all + all + "tail");
  Run(u"CONV 255 " + U("a.bin") + u" " + U("b.bin"));
  Run(u"CONV 255 " + U("b.bin") + u" " + U("c.bin"));
  EXPECT_EQ(dir.Get("c.bin"), all);
  EXPECT_NE(dir.Get("b.bin"), all);
  EXPECT_EQ(Last(), u"CONV_DONE");
}

TEST_F(PosixShellTest, EchoAppendsLinesInTheAnsiCodePage) {
  dir.Put("log.txt", "old\r\n");
  Run(u"ECHO " + U("log.txt") + u" one two");
  Run(u"ECHO " + U("log.txt") + u" 漢字");
  EXPECT_EQ(dir.Get("log.txt"), "old\r\none two\r\n\x8a\xbf\x8e\x9a\r\n");
  Run(u"ECHO " + U("new.txt"));
  EXPECT_EQ(dir.Get("new.txt"), "\r\n");
  EXPECT_EQ(Last(), u"ECHO_ADD");
}

TEST_F(PosixShellTest, EchoRefusesFoldersAndFifosWithoutBlocking) {
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  Run(u"ECHO " + U("fifo") + u" x");
  EXPECT_EQ(Last(), u"ECHO_ERR");
  Run(u"ECHO " + U("bin") + u" x");
  EXPECT_EQ(Last(), u"ECHO_ERR");
  Run(u"ECHO " + U("no/such/folder.txt") + u" x");
  EXPECT_EQ(Last(), u"ECHO_ERR");
}

TEST_F(PosixShellTest, IniWritesAndReadsARealFile) {
  Run(u"INI W " + U("my.ini") + u" SEC KEY a b c");
  EXPECT_EQ(dir.Get("my.ini"), "[SEC]\r\nKEY=a b c\r\n");
  Run(u"INI R " + U("my.ini") + u" SEC KEY 4");
  EXPECT_EQ(ctx.settings.variables[4], u"a b c");
  EXPECT_EQ(Last(), u"INI_R-OK");
}

TEST_F(PosixShellTest, IniWriteIntoAMissingFolderWarnsAndFails) {
  Run(u"INI W " + U("none/my.ini") + u" SEC KEY v");
  EXPECT_EQ(ui.boxes.size(), 1u);
  EXPECT_EQ(Last(), u"INI_ERR");
}

// --- SH -------------------------------------------------------------------------------

TEST_F(PosixShellTest, LaunchedProgramGetsItsArgumentsAndFolderAndIsNotOurChild) {
  fs::create_directories(dir / "p");
  fs::create_directories(dir / "work");
  PutProgram("p/run.sh");
  Run(u"SH " + U("p/run.sh") + u" one \"two three\" \\\"q\\\" >" + U("work"));
  ASSERT_TRUE(WaitForDone("p"));
  const std::vector<std::string> lines = Lines(Recorded("p"));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], dir / "work");
  // Adopted at once, so it can never become a zombie of ours.
  EXPECT_NE(lines[1], std::to_string(::getpid()));
  EXPECT_EQ(lines[2], "[one]");
  EXPECT_EQ(lines[3], "[two three]");
  EXPECT_EQ(lines[4], "[\"q\"]");
  EXPECT_EQ(ui.LastAnswer(), u"");  // the wait answer was cleared
}

TEST_F(PosixShellTest, LaunchDoesNotWaitForTheProgram) {
  PutProgram("slow.sh", "#!/bin/sh\nexec sleep 3\n");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_GT(os.ShellExecute(0, u"OPEN", U("slow.sh"), u"", u"", 1), 32);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
}

TEST_F(PosixShellTest, LaunchedProgramWorksInItsOwnFolderByDefault) {
  fs::create_directories(dir / "p");
  PutProgram("p/run.sh");
  EXPECT_GT(os.ShellExecute(0, u"OPEN", U("p/run.sh"), u"", U("p/"), 1), 32);
  ASSERT_TRUE(WaitForDone("p"));
  EXPECT_TRUE(Recorded("p").starts_with(dir / "p\n"));
}

TEST_F(PosixShellTest, MissingFolderMeansTheCurrentOne) {
  fs::create_directories(dir / "p");
  PutProgram("p/run.sh");
  EXPECT_GT(os.ShellExecute(0, u"OPEN", U("p/run.sh"), u"", U("gone/"), 1), 32);
  ASSERT_TRUE(WaitForDone("p"));
  EXPECT_TRUE(Recorded("p").starts_with(fs::current_path().string() + "\n"));
}

TEST_F(PosixShellTest, MissingProgramsGiveTheShellsErrorCodes) {
  ScopedEnv path("PATH", (dir / "bin").c_str());
  EXPECT_EQ(os.ShellExecute(0, u"OPEN", U("none.sh"), u"", u"", 1), 2);
  EXPECT_EQ(os.ShellExecute(0, u"OPEN", U("nofolder/x.sh"), u"", u"", 1), 3);
  EXPECT_EQ(os.ShellExecute(0, u"OPEN", u"qrx-no-such-program", u"", u"", 1), 2);
  EXPECT_EQ(os.ShellExecute(0, u"OPEN", u"", u"", u"", 1), 2);
}

TEST_F(PosixShellTest, DirectModeReportsAProgramThatIsNotThere) {
  ScopedEnv path("PATH", (dir / "bin").c_str());
  Run(u"/D");
  Run(u"qrx-no-such-program x");
  EXPECT_EQ(Last(), u"ELSE_ERR");
}

TEST_F(PosixShellTest, DocumentsAndAddressesGoToTheDesktopOpener) {
  ScopedEnv path("PATH", (dir / "bin").c_str());
  dir.Put("doc.txt", "text");
  EXPECT_EQ(os.ShellExecute(0, u"OPEN", U("doc.txt"), u"", u"", 1), 31);  // no opener
  PutProgram("bin/xdg-open");
  EXPECT_GT(os.ShellExecute(0, u"OPEN", U("doc.txt"), u"ignored", u"", 1), 32);
  ASSERT_TRUE(WaitForDone("bin"));
  EXPECT_NE(Recorded("bin").find("[" + (dir / "doc.txt") + "]\n"), std::string::npos);
  fs::remove(dir / "bin/done");
  EXPECT_GT(os.ShellExecute(0, u"OPEN", u"https://example.invalid/a?b", u"", u"", 1), 32);
  ASSERT_TRUE(WaitForDone("bin"));
  EXPECT_NE(Recorded("bin").find("[https://example.invalid/a?b]\n"), std::string::npos);
}

// --- LHA --------------------------------------------------------------------------------

TEST_F(PosixShellTest, LhaWithoutTheProgramAnswersNone) {
  ScopedEnv path("PATH", (dir / "bin").c_str());
  Run(u"LHA l a.lzh");
  EXPECT_EQ(Last(), u"LHA32_NONE");
}

TEST_F(PosixShellTest, LhaRunsTheProgramAndReportsItsExitStatus) {
  ScopedEnv path("PATH", (dir / "bin").c_str());
  PutProgram("bin/lha");
  Run(u"LHA x \"my a.lzh\" out\\");
  const std::vector<std::string> lines = Lines(Recorded("bin"));
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()),
            (std::vector<std::string>{"[x]", "[my a.lzh]", "[out\\]"}));
  EXPECT_EQ(Last(), u"archived");
  ScopedEnv exit_code("QRX_FAKE_EXIT", "3");
  Run(u"LHA t a.lzh");
  EXPECT_EQ(Last(), u"archive error 3");
}

}  // namespace
}  // namespace qrx::test
