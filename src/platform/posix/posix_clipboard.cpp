// The clipboard on POSIX: the desktop's clipboard through its command-line helpers
// (wl-copy and wl-paste under Wayland, xclip or xsel under X), found on PATH; without a
// desktop or a helper, a clipboard inside this process.
//
// Text goes to and from the helper as UTF-8. Every run has a deadline, so a helper (or a
// clipboard owner) that hangs cannot hang the program: it is killed and the call fails.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "base/text.h"
#include "platform/posix/posix_fs.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_process.h"

extern char** environ;

namespace qrx {
namespace {

using Clock = std::chrono::steady_clock;
using posix::UniqueFd;

constexpr auto kHelperDeadline = std::chrono::seconds(2);
// Far beyond any command line; a larger clipboard is cut at a whole character.
constexpr size_t kMaxTextBytes = size_t{4} << 20;

struct Helper {
  std::vector<std::string> paste;  // argument 0 is the program's full path
  std::vector<std::string> copy;
};

bool Defined(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

std::optional<Helper> DesktopHelper() {
  if (Defined("WAYLAND_DISPLAY")) {
    const std::string copy = posix::FindExecutableOnPath("wl-copy");
    const std::string paste = posix::FindExecutableOnPath("wl-paste");
    if (!copy.empty() && !paste.empty()) {
      return Helper{{paste, "--no-newline", "--type", "text/plain"},
                    {copy, "--type", "text/plain;charset=utf-8"}};
    }
  }
  if (Defined("DISPLAY")) {
    if (const std::string xclip = posix::FindExecutableOnPath("xclip"); !xclip.empty()) {
      return Helper{{xclip, "-selection", "clipboard", "-out", "-target", "UTF8_STRING"},
                    {xclip, "-selection", "clipboard", "-in"}};
    }
    if (const std::string xsel = posix::FindExecutableOnPath("xsel"); !xsel.empty()) {
      return Helper{{xsel, "--clipboard", "--output"}, {xsel, "--clipboard", "--input"}};
    }
  }
  return std::nullopt;
}

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits for the helper's end until the deadline, then kills it. True when it ended by
// itself with status 0. The helper is always reaped.
bool Reap(pid_t pid, Clock::time_point deadline) {
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    int status = 0;
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (r < 0 && errno != EINTR) return false;
    if (MillisecondsLeft(deadline) == 0) break;
    std::this_thread::sleep_for(pause);  // the helper is about to end: short naps, no spin
    pause = std::min(pause * 2, std::chrono::milliseconds(20));
  }
  ::kill(pid, SIGKILL);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return false;
}

// The child's side of the run: standard input from `in` (or /dev/null), standard output
// to `out` (or /dev/null), no other descriptor of ours, a session of its own (a copy
// helper stays behind to serve the clipboard and must outlive a Ctrl+C aimed at us), and
// SIGPIPE back to its default.
pid_t Spawn(const std::vector<std::string>& args, int in, int out) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (in >= 0) {
    posix_spawn_file_actions_adddup2(&actions, in, 0);
  } else {
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  }
  if (out >= 0) {
    posix_spawn_file_actions_adddup2(&actions, out, 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  }
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attr, &none);
  short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
#ifdef POSIX_SPAWN_SETSID
  flags |= POSIX_SPAWN_SETSID;
#endif
  posix_spawnattr_setflags(&attr, flags);

  std::vector<std::string> copy = args;
  std::vector<char*> argv;
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int rc = ::posix_spawn(&pid, args[0].c_str(), &actions, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

// Cuts UTF-8 text to at most `limit` bytes without splitting a character.
void CutAtCharacter(std::string& bytes, size_t limit) {
  if (bytes.size() <= limit) return;
  size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) --cut;
  bytes.resize(cut);
}

// Runs a helper with `input` on its standard input (none: /dev/null) and, when `capture`,
// collects its standard output. Nothing when it could not be started, failed, or missed
// the deadline.
std::optional<std::string> RunHelper(const std::vector<std::string>& args, const std::string* input,
                                     bool capture) {
  const Clock::time_point deadline = Clock::now() + kHelperDeadline;
  UniqueFd our_in, child_in, our_out, child_out;
  if (input != nullptr) {
    // A socket rather than a pipe: sending with MSG_NOSIGNAL means a helper that quits
    // early cannot end this program with SIGPIPE.
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return std::nullopt;
    our_in = UniqueFd(fds[0]);
    child_in = UniqueFd(fds[1]);
  }
  if (capture) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return std::nullopt;
    our_out = UniqueFd(fds[0]);
    child_out = UniqueFd(fds[1]);
  }
  const pid_t pid = Spawn(args, child_in.Get(), child_out.Get());
  child_in.Reset();
  child_out.Reset();
  if (pid < 0) return std::nullopt;

  for (const UniqueFd* fd : {&our_in, &our_out}) {
    if (*fd) ::fcntl(fd->Get(), F_SETFL, ::fcntl(fd->Get(), F_GETFL) | O_NONBLOCK);
  }
  size_t sent = 0;
  std::string output;
  bool ok = true;
  while (our_in || our_out) {
    if (our_in && sent == input->size()) {
      ::shutdown(our_in.Get(), SHUT_WR);
      our_in.Reset();
      continue;
    }
    const int wait_ms = MillisecondsLeft(deadline);
    if (wait_ms == 0) {
      ok = false;
      break;
    }
    pollfd fds[2] = {{our_in.Get(), POLLOUT, 0}, {our_out.Get(), POLLIN, 0}};
    if (::poll(fds, 2, wait_ms) < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    if (our_in && fds[0].revents != 0) {
      const ssize_t n = ::send(our_in.Get(), input->data() + sent, input->size() - sent,
                               MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) {
        sent += static_cast<size_t>(n);
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        ok = false;  // the helper stopped reading: the text did not arrive whole
        our_in.Reset();
      }
    }
    if (our_out && fds[1].revents != 0) {
      char buffer[65536];
      const ssize_t n = ::read(our_out.Get(), buffer, sizeof buffer);
      if (n > 0) {
        output.append(buffer, static_cast<size_t>(n));
        if (output.size() > kMaxTextBytes) {
          CutAtCharacter(output, kMaxTextBytes);
          ::kill(pid, SIGKILL);
          Reap(pid, deadline);
          return output;
        }
      } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        our_out.Reset();
      }
    }
  }
  our_in.Reset();
  our_out.Reset();
  if (!ok) {
    Reap(pid, Clock::now());
    return std::nullopt;
  }
  if (!Reap(pid, deadline)) return std::nullopt;
  return output;
}

}  // namespace

std::optional<std::u16string> PosixPlatform::GetClipboardText() {
  const std::optional<Helper> helper = DesktopHelper();
  if (!helper) return local_clipboard_;
  const std::optional<std::string> bytes = RunHelper(helper->paste, nullptr, true);
  if (!bytes) return std::nullopt;  // an empty clipboard, or no text on it
  return Utf8ToUtf16(*bytes);
}

bool PosixPlatform::SetClipboardText(std::u16string_view text) {
  const std::optional<Helper> helper = DesktopHelper();
  if (!helper) {
    local_clipboard_ = std::u16string(text);
    return true;
  }
  const std::string bytes = Utf16ToUtf8(text);
  return RunHelper(helper->copy, &bytes, false).has_value();
}

}  // namespace qrx
