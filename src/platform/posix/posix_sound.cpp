// Sounds on POSIX: wave files are handed to a command-line player found on PATH.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/text.h"
#include "platform/posix/posix_fs.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_profile_files.h"  // the platform's members, ended here

extern char** environ;

namespace qrx {
namespace {

constexpr uint32_t kAsync = 0x1;

// The first player that PATH offers, or empty when there is none.
std::string FindPlayer() {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return {};
  for (const char* player : {"paplay", "pw-play", "aplay"}) {
    std::string_view list = path;
    while (!list.empty()) {
      const size_t end = std::min(list.find(':'), list.size());
      const std::string folder(list.substr(0, end));
      list.remove_prefix(std::min(end + 1, list.size()));
      if (folder.empty()) continue;
      const std::string candidate = folder + "/" + player;
      struct stat st {};
      if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
          ::access(candidate.c_str(), X_OK) == 0) {
        return candidate;
      }
    }
  }
  return {};
}

// Starts the player with its output silenced; 0 when it could not be started.
pid_t StartPlayer(const std::string& player, const std::string& file) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  for (int fd : {0, 1, 2}) {
    posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
  }
  std::string arg0 = player;
  std::string arg1 = file;
  char* argv[] = {arg0.data(), arg1.data(), nullptr};
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, player.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : 0;
}

void WaitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

PosixPlatform::~PosixPlatform() {
  StopAsyncPlayer();
}

void PosixPlatform::StopAsyncPlayer() {
  if (async_player_ == 0) return;
  // Our own child: ending it is how a new sound replaces one that still plays.
  ::kill(async_player_, SIGTERM);
  WaitFor(async_player_);
  async_player_ = 0;
}

void PosixPlatform::PlaySound(std::u16string_view name, uint32_t flags) {
  StopAsyncPlayer();
  const auto file = posix::FsPath(name);
  if (!file) return;
  struct stat st {};
  if (::stat(file->c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  const std::string player = FindPlayer();
  if (player.empty()) return;
  const pid_t pid = StartPlayer(player, *file);
  if (pid == 0) return;
  if (flags & kAsync) {
    async_player_ = pid;
  } else {
    WaitFor(pid);
  }
}

void PosixPlatform::Beep() {
  // Standard output may carry the line runner's events: ring the terminal through stderr.
  if (::isatty(STDERR_FILENO)) {
    std::fputc('\a', stderr);
    std::fflush(stderr);
  }
}

bool PosixPlatform::CallAnswerLibrary(std::u16string_view, intptr_t, std::u16string&, int32_t) {
  return false;  // a Windows library cannot be called here
}

}  // namespace qrx
