#include "platform/posix/posix_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <thread>
#include <utility>

extern char** environ;

namespace qrx::posix {
namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds until the deadline for poll(): 0 once it has passed, -1 for none.
int MillisecondsLeft(std::optional<Deadline> deadline) {
  if (!deadline) return -1;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now());
  return static_cast<int>(std::clamp<int64_t>(left.count(), 0, 1 << 30));
}

int DecodeStatus(int status) {
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

// A descriptor that becomes readable when the child ends, so that a wait with a deadline
// can sleep in poll(); nothing on systems without process descriptors.
UniqueFd OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
  return UniqueFd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
#else
  (void)pid;
  return UniqueFd();
#endif
}

// Everything the child needs, prepared before the fork: after it only async-signal-safe
// calls may be made (another thread may have held a lock at the fork that would never be
// released in the child).
struct Prepared {
  explicit Prepared(const ChildSetup& setup) : args(setup.argv) {
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    folder = setup.folder.empty() ? nullptr : setup.folder.c_str();
    own_session = setup.own_session;
  }
  std::vector<std::string> args;
  std::vector<char*> argv;
  const char* folder = nullptr;
  bool own_session = false;
};

// The ends of the child's standard streams and of the channel on which it reports a failed
// start; -1 where the child gets /dev/null.
struct ChildEnds {
  int input = -1;
  int output = -1;
  int report = -1;
};

[[noreturn]] void ReportAndExit(int report_fd, int error) {
  [[maybe_unused]] const ssize_t n = ::write(report_fd, &error, sizeof error);
  ::_exit(127);
}

// A descriptor moved above the standard streams, so that setting those up cannot close it.
int AboveStandardStreams(int fd) {
  return fd >= 0 && fd <= 2 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 3) : fd;
}

// The child's side: standard streams, session, signals, folder, then the program. With
// `detach` it forks once more and the middle process ends at once, so that the program is
// adopted by the system. Failures go back through the report channel, which the exec
// closes when it succeeds.
[[noreturn]] void BecomeChild(const Prepared& p, ChildEnds ends, bool detach) {
  ends.input = AboveStandardStreams(ends.input);
  ends.output = AboveStandardStreams(ends.output);
  ends.report = AboveStandardStreams(ends.report);
  const int null_fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
  if (null_fd < 0) ReportAndExit(ends.report, errno);
  if (::dup2(ends.input >= 0 ? ends.input : null_fd, 0) < 0 ||
      ::dup2(ends.output >= 0 ? ends.output : null_fd, 1) < 0 || ::dup2(null_fd, 2) < 0) {
    ReportAndExit(ends.report, errno);
  }
#ifdef CLOSE_RANGE_CLOEXEC
  // Descriptors of ours that someone opened without close-on-exec stay with us.
  ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
#endif
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::signal(SIGPIPE, SIG_DFL);
  if (p.own_session) ::setsid();
  if (p.folder != nullptr && ::chdir(p.folder) != 0) ReportAndExit(ends.report, errno);
  if (detach) {
    const pid_t worker = ::fork();
    if (worker < 0) ReportAndExit(ends.report, errno);
    if (worker > 0) ::_exit(0);
  }
  ::execve(p.argv[0], p.argv.data(), environ);
  ReportAndExit(ends.report, errno);
}

// Forks the child; gives its pid, or -1 with `*error` set. Returns once the program runs
// (or the start failed): the report channel is read until every copy of it is closed.
pid_t Fork(const Prepared& p, const ChildEnds& ends, UniqueFd report_read, UniqueFd report_write,
           bool detach, int* error) {
  const pid_t pid = ::fork();
  if (pid < 0) {
    *error = errno;
    return -1;
  }
  if (pid == 0) BecomeChild(p, ends, detach);
  report_write.Reset();
  int reported = 0;
  ssize_t n = 0;
  do {
    n = ::read(report_read.Get(), &reported, sizeof reported);
  } while (n < 0 && errno == EINTR);
  *error = n == static_cast<ssize_t>(sizeof reported) ? reported : 0;
  return pid;
}

}  // namespace

std::vector<std::string> PathFolders() {
  std::vector<std::string> folders;
  const char* path = std::getenv("PATH");
  std::string_view list = path != nullptr ? path : "";
  while (!list.empty()) {
    const size_t end = std::min(list.find(':'), list.size());
    if (end > 0) folders.emplace_back(list.substr(0, end));
    list.remove_prefix(std::min(end + 1, list.size()));
  }
  return folders;
}

std::string FindExecutableOnPath(std::string_view name) {
  if (name.empty() || name.find('/') != std::string_view::npos) return {};
  for (const std::string& folder : PathFolders()) {
    const std::string candidate = folder + "/" + std::string(name);
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return {};
}

std::optional<Child> Child::Start(const ChildSetup& setup, int* error) {
  *error = EINVAL;
  if (setup.argv.empty()) return std::nullopt;
  const Prepared p(setup);
  Child child;
  UniqueFd child_input, child_output;
  if (setup.input) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
      *error = errno;
      return std::nullopt;
    }
    child.input_ = UniqueFd(fds[0]);
    child_input = UniqueFd(fds[1]);
  }
  if (setup.output) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
      *error = errno;
      return std::nullopt;
    }
    child.output_ = UniqueFd(fds[0]);
    child_output = UniqueFd(fds[1]);
  }
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) {
    *error = errno;
    return std::nullopt;
  }
  const ChildEnds ends{child_input.Get(), child_output.Get(), report[1]};
  const pid_t pid = Fork(p, ends, UniqueFd(report[0]), UniqueFd(report[1]), false, error);
  if (pid < 0) return std::nullopt;
  child.pid_ = pid;
  if (*error != 0) {
    child.Wait();  // it has already ended: reap it
    return std::nullopt;
  }
  child.pidfd_ = OpenPidFd(pid);
  return child;
}

Child::Child(Child&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      pidfd_(std::move(other.pidfd_)),
      input_(std::move(other.input_)),
      output_(std::move(other.output_)) {}

Child& Child::operator=(Child&& other) noexcept {
  if (this != &other) {
    Reset();
    pid_ = std::exchange(other.pid_, -1);
    pidfd_ = std::move(other.pidfd_);
    input_ = std::move(other.input_);
    output_ = std::move(other.output_);
  }
  return *this;
}

Child::~Child() {
  Reset();
}

void Child::Reset() {
  input_.Reset();
  output_.Reset();
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    Wait();
  }
  pidfd_.Reset();
}

std::optional<int> Child::Wait(std::optional<Deadline> deadline) {
  if (pid_ <= 0) return -1;
  auto nap = std::chrono::milliseconds(1);
  for (;;) {
    int status = 0;
    const int flags = deadline ? WNOHANG : 0;
    const pid_t r = ::waitpid(pid_, &status, flags);
    if (r == pid_) {
      pid_ = -1;
      return DecodeStatus(status);
    }
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      pid_ = -1;  // reaped elsewhere: its status is lost
      return -1;
    }
    const int left = MillisecondsLeft(deadline);
    if (left == 0) return std::nullopt;
    if (pidfd_) {
      pollfd fd{pidfd_.Get(), POLLIN, 0};
      ::poll(&fd, 1, left);  // an interruption only means looking again
    } else {
      // No process descriptor: naps that grow, as the child is usually about to end.
      std::this_thread::sleep_for(std::min(nap, std::chrono::milliseconds(left)));
      nap = std::min(nap * 2, std::chrono::milliseconds(20));
    }
  }
}

void Child::Stop(int signal, std::chrono::milliseconds grace) {
  if (pid_ <= 0) return;
  ::kill(pid_, signal);
  if (!Wait(Clock::now() + grace)) {
    ::kill(pid_, SIGKILL);
    Wait();
  }
}

int StartDetached(const ChildSetup& setup) {
  if (setup.argv.empty() || setup.input || setup.output) return EINVAL;
  Prepared p(setup);
  p.own_session = true;
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return errno;
  int error = 0;
  const pid_t middle =
      Fork(p, ChildEnds{-1, -1, report[1]}, UniqueFd(report[0]), UniqueFd(report[1]), true, &error);
  if (middle < 0) return error;
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  return error;
}

std::optional<RunResult> RunWithDeadline(std::vector<std::string> argv, const std::string* input,
                                         bool capture, size_t max_output, Deadline deadline) {
  int error = 0;
  std::optional<Child> child = Child::Start(
      {.argv = std::move(argv), .input = input != nullptr, .output = capture, .own_session = true},
      &error);
  if (!child) return std::nullopt;
  UniqueFd& in = child->input();
  UniqueFd& out = child->output();
  for (const UniqueFd* fd : {&in, &out}) {
    if (*fd) ::fcntl(fd->Get(), F_SETFL, ::fcntl(fd->Get(), F_GETFL) | O_NONBLOCK);
  }
  RunResult result;
  size_t sent = 0;
  bool failed = false;
  while (in || out) {
    if (in && sent == input->size()) {
      ::shutdown(in.Get(), SHUT_WR);
      in.Reset();
      continue;
    }
    const int left = MillisecondsLeft(deadline);
    if (left == 0) {
      failed = true;
      break;
    }
    pollfd fds[2] = {{in.Get(), POLLOUT, 0}, {out.Get(), POLLIN, 0}};
    if (::poll(fds, 2, left) < 0) {
      if (errno == EINTR) continue;
      failed = true;
      break;
    }
    if (in && fds[0].revents != 0) {
      const ssize_t n =
          ::send(in.Get(), input->data() + sent, input->size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        sent += static_cast<size_t>(n);
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        failed = true;  // the child stopped reading: the input did not arrive whole
        in.Reset();
      }
    }
    if (out && fds[1].revents != 0) {
      char buffer[65536];
      const ssize_t n = ::read(out.Get(), buffer, sizeof buffer);
      if (n > 0) {
        result.output.append(buffer, static_cast<size_t>(n));
        if (result.output.size() > max_output) {
          result.overflowed = true;
          return result;  // the child is killed and reaped as it goes
        }
      } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        out.Reset();
      }
    }
  }
  in.Reset();
  out.Reset();
  if (failed) return result;  // killed and reaped as the child goes
  const std::optional<int> status = child->Wait(deadline);
  result.ended_well = status == 0;
  return result;
}

std::optional<int> RunAndWait(std::vector<std::string> argv) {
  int error = 0;
  std::optional<Child> child = Child::Start({.argv = std::move(argv)}, &error);
  if (!child) return std::nullopt;
  const int status = child->Wait().value_or(-1);
  if (status < 0) return std::nullopt;
  return status;
}

}  // namespace qrx::posix
