// Child processes on POSIX: starting, waiting with and without a deadline, interruptions,
// what a child inherits, and detached programs.
#include "platform/posix/posix_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "fake/scoped.h"

namespace qrx::posix {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::vector<std::string> Shell(const std::string& script) {
  return {"/bin/sh", "-c", script};
}

// Whether a process of that id still exists (a zombie counts).
bool Exists(pid_t pid) {
  return ::kill(pid, 0) == 0 || errno != ESRCH;
}

TEST(PosixProcessTest, ChildrenRunInTheirFolderWithPipesAndGiveTheirStatus) {
  test::TempFolder dir;
  int error = 0;
  auto child = Child::Start({.argv = Shell("pwd; read line; echo \"got $line\"; exit 7"),
                             .folder = dir.path(),
                             .input = true,
                             .output = true},
                            &error);
  ASSERT_TRUE(child) << error;
  ASSERT_EQ(::send(child->input().Get(), "abc\n", 4, MSG_NOSIGNAL), 4);
  child->input().Reset();
  std::string out;
  char buffer[256];
  for (ssize_t n; (n = ::read(child->output().Get(), buffer, sizeof buffer)) > 0;) {
    out.append(buffer, static_cast<size_t>(n));
  }
  EXPECT_EQ(out, dir.path() + "\ngot abc\n");
  EXPECT_EQ(child->Wait(), 7);
  EXPECT_EQ(RunAndWait(Shell("kill -TERM $$")), 128 + SIGTERM);
  // Output stops at the limit. (Deadlines and deaf children: PosixClipboardTest.)
  const auto flood =
      RunWithDeadline({"/bin/cat", "/dev/zero"}, nullptr, true, 100000, Clock::now() + 10s);
  EXPECT_TRUE(flood && flood->overflowed && flood->output.size() > 100000u);
}

TEST(PosixProcessTest, AStartThatFailsIsReportedWithItsCauseAndLeavesNothing) {
  test::TempFolder dir;
  dir.Put("plain.txt", "not a program");
  int error = 0;
  const std::pair<ChildSetup, int> cases[] = {
      {{.argv = {dir / "none"}}, ENOENT},
      {{.argv = {dir / "plain.txt"}}, EACCES},
      {{.argv = Shell("exit 0"), .folder = dir / "gone"}, ENOENT}};
  for (const auto& [options, cause] : cases) {
    EXPECT_FALSE(Child::Start(options, &error));
    EXPECT_EQ(error, cause);
  }
  EXPECT_FALSE(Child::Start({}, &error));
  EXPECT_EQ(StartDetached({.argv = Shell("exit 0"), .folder = dir / "gone"}), ENOENT);
  EXPECT_EQ(RunAndWait({dir / "none"}), std::nullopt);
  EXPECT_EQ(RunWithDeadline({dir / "none"}, nullptr, true, 10, Clock::now() + 1s), std::nullopt);
  // Every failed child was reaped: none is left to wait for.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
}

TEST(PosixProcessTest, AChildInheritsOnlyItsStandardStreams) {
  test::TempFolder dir;
  // A descriptor of ours without close-on-exec, as a careless library might leave one.
  const int leaky = ::open("/dev/null", O_RDONLY);
  ASSERT_GE(leaky, 3);
  const auto run =
      RunWithDeadline(Shell("exec ls /proc/self/fd"), nullptr, true, 4096, Clock::now() + 5s);
  ::close(leaky);
  ASSERT_TRUE(run);
  EXPECT_TRUE(run->ended_well);
  // The three streams and the folder that ls itself opened to list it, at the lowest number.
  EXPECT_EQ(run->output, "0\n1\n2\n3\n");
}

TEST(PosixProcessTest, WaitingEndsAtTheDeadlineAndStopKillsWhatIgnoresTheSignal) {
  int error = 0;
  auto child = Child::Start({.argv = Shell("trap '' TERM; exec sleep 30")}, &error);
  ASSERT_TRUE(child);
  EXPECT_EQ(child->Wait(Clock::now() + 200ms), std::nullopt);
  const pid_t pid = child->pid();
  child->Stop(SIGTERM, 200ms);  // ignored: killed after the grace
  EXPECT_FALSE(Exists(pid));
  // A child that goes out of use is killed and reaped, not left behind.
  pid_t dropped = 0;
  {
    auto sleeper = Child::Start({.argv = {"/bin/sleep", "30"}}, &error);
    ASSERT_TRUE(sleeper);
    dropped = sleeper->pid();
  }
  EXPECT_FALSE(Exists(dropped));
}

void Ignore(int) {}

TEST(PosixProcessTest, SignalsDuringAWaitDoNotCutItShort) {
  // A handler without SA_RESTART: every tick of the timer interrupts the system call.
  struct sigaction action {};
  action.sa_handler = Ignore;
  struct sigaction old {};
  ASSERT_EQ(::sigaction(SIGALRM, &action, &old), 0);
  itimerval every_10ms{{0, 10000}, {0, 10000}};
  ASSERT_EQ(::setitimer(ITIMER_REAL, &every_10ms, nullptr), 0);
  int error = 0;
  auto waited = Child::Start({.argv = Shell("sleep 0.3; exit 4")}, &error);
  auto bounded = Child::Start({.argv = Shell("sleep 0.3; exit 5")}, &error);
  const auto run =
      RunWithDeadline(Shell("sleep 0.3; echo done"), nullptr, true, 100, Clock::now() + 10s);
  ASSERT_TRUE(waited && bounded);
  const auto waited_status = waited->Wait();
  const auto bounded_status = bounded->Wait(Clock::now() + 10s);
  itimerval off{};
  ::setitimer(ITIMER_REAL, &off, nullptr);
  ::sigaction(SIGALRM, &old, nullptr);
  EXPECT_EQ(waited_status, 4);
  EXPECT_EQ(bounded_status, 5);
  ASSERT_TRUE(run);
  EXPECT_TRUE(run->ended_well);
  EXPECT_EQ(run->output, "done\n");
}

TEST(PosixProcessTest, DetachedProgramsRunOnInTheirFolderAndAreNotOurChildren) {
  test::TempFolder dir;
  const std::string script = "pwd > \"$1/out\"; echo $PPID >> \"$1/out\"; : > \"$1/done\"";
  ASSERT_EQ(
      StartDetached({.argv = {"/bin/sh", "-c", script, "sh", dir.path()}, .folder = dir.path()}),
      0);
  for (int i = 0; i < 500 && !std::filesystem::exists(dir / "done"); ++i) {
    std::this_thread::sleep_for(10ms);
  }
  const std::string out = dir.Get("out");
  EXPECT_EQ(out.substr(0, dir.path().size() + 1), dir.path() + "\n");
  EXPECT_NE(out.substr(dir.path().size() + 1), std::to_string(::getpid()) + "\n");
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);  // nothing of it left to reap
  EXPECT_EQ(StartDetached({.argv = {dir / "none"}}), ENOENT);
  EXPECT_EQ(StartDetached({.argv = Shell("exit 0"), .output = true}), EINVAL);
}

TEST(PosixProcessTest, OnePathLookupForEveryProgram) {
  test::TempFolder dir;
  std::filesystem::create_directories(dir / "a/dir");  // a folder, searchable: passed over
  std::filesystem::create_directories(dir / "b");
  for (const char* name : {"a/tool", "b/tool", "here"}) dir.Put(name, "#!/bin/sh\n");
  ::chmod((dir / "b/tool").c_str(), 0755);  // a/tool is not executable: passed over
  ::chmod((dir / "here").c_str(), 0755);
  test::ScopedEnv path("PATH", ("::" + dir / "a" + ":" + dir / "b").c_str());
  EXPECT_EQ(FindExecutableOnPath("tool"), dir / "b/tool");
  EXPECT_EQ(FindExecutableOnPath("dir"), "");
  EXPECT_EQ(FindExecutableOnPath("b/tool"), "");  // a name, never a path
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  EXPECT_EQ(FindExecutableOnPath("here"), "");  // empty entries do not mean the current folder
  std::filesystem::current_path(cwd);
}

}  // namespace
}  // namespace qrx::posix
