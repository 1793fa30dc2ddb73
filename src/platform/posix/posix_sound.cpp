// Sounds on POSIX: wave files are handed to a command-line player found on PATH.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/posix/posix_fs.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_profile_files.h"  // the platform's members, ended here

namespace qrx {
namespace {

constexpr uint32_t kAsync = 0x1;
// A player asked to end gets this long before it is killed.
constexpr auto kPlayerGrace = std::chrono::milliseconds(500);

// The first player that PATH offers, or empty when there is none.
std::string FindPlayer() {
  for (const char* player : {"paplay", "pw-play", "aplay"}) {
    std::string found = posix::FindExecutableOnPath(player);
    if (!found.empty()) return found;
  }
  return {};
}

}  // namespace

PosixPlatform::~PosixPlatform() {
  if (async_player_) async_player_->Stop(SIGTERM, kPlayerGrace);
}

void PosixPlatform::PlaySound(std::u16string_view name, uint32_t flags) {
  // A new sound replaces one that still plays, as on Windows.
  if (async_player_) async_player_->Stop(SIGTERM, kPlayerGrace);
  async_player_.reset();
  const auto file = posix::FsPath(name);
  if (!file) return;
  struct stat st {};
  if (::stat(file->c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  const std::string player = FindPlayer();
  if (player.empty()) return;
  int error = 0;
  std::optional<posix::Child> child = posix::Child::Start({.argv = {player, *file}}, &error);
  if (!child) return;
  if (flags & kAsync) {
    async_player_ = std::move(child);
  } else {
    child->Wait();
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
