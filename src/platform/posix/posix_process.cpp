#include "platform/posix/posix_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix/posix_fs.h"

extern char** environ;

namespace qrx::posix {
namespace {

std::vector<char*> ArgvPointers(std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return argv;
}

int WaitStatus(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
}

// Only async-signal-safe calls from here on: the parent may have other threads, and a
// lock one of them held at the fork would never be released in the child.
[[noreturn]] void ReportAndExit(int pipe_fd, int error) {
  [[maybe_unused]] const ssize_t n = ::write(pipe_fd, &error, sizeof error);
  ::_exit(127);
}

[[noreturn]] void RunGrandchild(int pipe_fd, const char* program, char* const* argv,
                                const char* folder) {
  ::setsid();
  const int null_fd = ::open("/dev/null", O_RDWR);
  if (null_fd >= 0) {
    for (int fd = 0; fd <= 2; ++fd) ::dup2(null_fd, fd);
    if (null_fd > 2) ::close(null_fd);
  }
  ::signal(SIGPIPE, SIG_DFL);
  if (folder != nullptr && ::chdir(folder) != 0) {
    // A folder that cannot be entered leaves the program in the current one.
  }
  ::execve(program, argv, environ);
  ReportAndExit(pipe_fd, errno);
}

}  // namespace

std::string FindExecutableOnPath(std::string_view name) {
  if (name.empty() || name.find('/') != std::string_view::npos) return {};
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  std::string_view list = path;
  while (!list.empty()) {
    const size_t end = std::min(list.find(':'), list.size());
    const std::string folder(list.substr(0, end));
    list.remove_prefix(std::min(end + 1, list.size()));
    if (folder.empty()) continue;
    const std::string candidate = folder + "/" + std::string(name);
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return {};
}

int StartDetached(const std::string& program, const std::vector<std::string>& argv_in,
                  const std::string& folder) {
  std::vector<std::string> args = argv_in;
  const std::vector<char*> argv = ArgvPointers(args);
  const char* folder_c = folder.empty() ? nullptr : folder.c_str();
  // The grandchild reports a failed exec through the pipe; a successful exec closes it.
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return errno;
  UniqueFd read_end(fds[0]);
  UniqueFd write_end(fds[1]);
  const pid_t middle = ::fork();
  if (middle < 0) return errno;
  if (middle == 0) {
    const pid_t worker = ::fork();
    if (worker < 0) ReportAndExit(fds[1], errno);
    if (worker > 0) ::_exit(0);
    RunGrandchild(fds[1], program.c_str(), argv.data(), folder_c);
  }
  write_end.Reset();
  WaitStatus(middle);
  int error = 0;
  ssize_t n = 0;
  do {
    n = ::read(read_end.Get(), &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  return n == static_cast<ssize_t>(sizeof error) ? error : 0;
}

std::optional<int> RunAndWait(const std::string& program, const std::vector<std::string>& argv_in) {
  std::vector<std::string> args = argv_in;
  const std::vector<char*> argv = ArgvPointers(args);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {0, 1, 2}) {
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  }
  pid_t pid = 0;
  const int rc = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return std::nullopt;
  const int status = WaitStatus(pid);
  if (status < 0) return std::nullopt;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return std::nullopt;
}

}  // namespace qrx::posix
