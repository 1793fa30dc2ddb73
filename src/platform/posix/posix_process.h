// Starting other programs on POSIX: the one place where child processes are created,
// waited for and ended. Launches, sounds, the clipboard helpers, the archive program and
// the end of the session all start their programs here.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/posix_fs.h"

namespace qrx::posix {

using Deadline = std::chrono::steady_clock::time_point;

// The folders of PATH, in order, without its empty entries.
std::vector<std::string> PathFolders();

// The full path of an executable ordinary file of that name in a folder of PATH, or empty.
// Empty PATH entries are skipped: the current folder is never searched implicitly.
std::string FindExecutableOnPath(std::string_view name);

// What to start, and how.
struct ChildSetup {
  std::vector<std::string> argv{};  // argument 0 is the program's path (PATH is not searched)
  std::string folder{};             // working folder; empty: ours
  // Standard input from a stream socket whose other end is Child::input(): a child that
  // stops reading cannot end this program with SIGPIPE when written with MSG_NOSIGNAL.
  // Otherwise standard input is /dev/null.
  bool input = false;
  // Standard output into a pipe whose reading end is Child::output(); otherwise /dev/null.
  // Standard error always goes to /dev/null.
  bool output = false;
  // A session of its own, so that a Ctrl+C aimed at this program does not reach it.
  bool own_session = false;
};

// A started child. It inherits no descriptor of ours but those asked for, starts with an
// empty signal mask and the default SIGPIPE, and is always reaped: one still running when
// its Child goes away is killed.
class Child {
 public:
  // Starts the program. Nothing when it could not be started (the folder cannot be
  // entered, the program cannot be run); `*error` then holds the errno of the failure.
  static std::optional<Child> Start(const ChildSetup& setup, int* error);

  Child(Child&& other) noexcept;
  Child& operator=(Child&& other) noexcept;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child();

  pid_t pid() const { return pid_; }
  UniqueFd& input() { return input_; }
  UniqueFd& output() { return output_; }

  // Waits until the child has ended, or until the deadline (none: as long as it takes).
  // Gives its exit status (128 + the signal when a signal ended it), or nothing when the
  // deadline came first and it still runs. Sleeps while it waits.
  std::optional<int> Wait(std::optional<Deadline> deadline = std::nullopt);
  // Sends `signal` and waits up to `grace` for the end, then kills it. Reaped either way.
  void Stop(int signal, std::chrono::milliseconds grace);

 private:
  Child() = default;
  void Reset();

  pid_t pid_ = -1;
  UniqueFd pidfd_;  // readable once the child has ended (where the system offers it)
  UniqueFd input_;
  UniqueFd output_;
};

// Starts a program that runs on by itself: in a session of its own, with standard input and
// output on /dev/null, and adopted by the system at once, so that it is never waited for and
// never left as a zombie. 0 when it was started, otherwise the errno of the failure (the
// folder cannot be entered, the program cannot be run).
int StartDetached(const ChildSetup& setup);

// What a run with a deadline gave.
struct RunResult {
  bool ended_well = false;  // ended by itself with status 0, and took all of the input
  bool overflowed = false;  // the output passed the limit: the child was killed there
  std::string output;
};

// Runs a program with `input` on its standard input (nothing: /dev/null) and, when
// `capture`, collects its standard output (otherwise it goes to /dev/null, so that a process
// the child leaves behind holds nothing of ours open). The child runs in a session of its
// own. A child that is still running at the deadline is killed (not ended
// well); one whose output passes `max_output` bytes is killed at once, and what it wrote up
// to then (a little more than the limit) is kept. Nothing when it could not be started.
std::optional<RunResult> RunWithDeadline(std::vector<std::string> argv, const std::string* input,
                                         bool capture, size_t max_output, Deadline deadline);

// Runs a program with standard input and output on /dev/null and waits for it. Its exit
// status, or nothing when it could not be started.
std::optional<int> RunAndWait(std::vector<std::string> argv);

}  // namespace qrx::posix
