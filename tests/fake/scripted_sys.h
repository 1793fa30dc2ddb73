// The POSIX platform's system calls with faults a test asks for: a named call fails with an
// error from its n-th use on, for a number of uses, or is interrupted (EINTR) before it runs.
// Everything else reaches the real system, so the files on disk show what the platform did.
#pragma once

#include <cerrno>
#include <map>
#include <set>
#include <string>
#include <string_view>

#include "platform/posix/posix_sys.h"

namespace qrx::test {

class ScriptedSys : public posix::SysCalls {
 public:
  struct Fault {
    int from = 1;   // the first use (counted from 1) that fails
    int times = 1;  // how many uses in a row fail
    int error = EIO;
    std::string path;  // Open only: the fault counts only paths that contain this
  };
  // Keyed by the call's name in lower case: "open", "write", "fsync", "rename", ...
  std::map<std::string, Fault> faults;
  std::map<std::string, int> uses;
  std::set<pid_t> gone;        // processes that Kill reports as ended
  time_t clock_shift = 0;      // seconds added to RealTime
  ssize_t write_limit = -1;    // at most this many bytes per Write (short writes), -1: all
  ssize_t read_limit = -1;     // at most this many bytes per Read (short reads), -1: all
  bool whole_seconds = false;  // file times as a file system that keeps only seconds has them

  int Open(const char* path, int flags, mode_t mode) override {
    return Fails("open", path) ? -1 : SysCalls::Open(path, flags, mode);
  }
  ssize_t Read(int fd, void* buffer, size_t size) override {
    if (Fails("read")) return -1;
    if (read_limit >= 0 && size > static_cast<size_t>(read_limit)) size = read_limit;
    return SysCalls::Read(fd, buffer, size);
  }
  ssize_t Write(int fd, const void* buffer, size_t size) override {
    if (Fails("write")) return -1;
    if (write_limit >= 0 && size > static_cast<size_t>(write_limit)) size = write_limit;
    return SysCalls::Write(fd, buffer, size);
  }
  int Fsync(int fd) override { return Fails("fsync") ? -1 : SysCalls::Fsync(fd); }
  int Close(int fd) override {
    // A failed close still releases the descriptor, as on Linux.
    const int result = SysCalls::Close(fd);
    return Fails("close") ? -1 : result;
  }
  int Fstat(int fd, struct stat* st) override { return Coarsen(SysCalls::Fstat(fd, st), st); }
  int Stat(const char* path, struct stat* st) override {
    return Coarsen(SysCalls::Stat(path, st), st);
  }
  int Rename(const char* from, const char* to) override {
    return Fails("rename") ? -1 : SysCalls::Rename(from, to);
  }
  int Kill(pid_t pid, int signal) override {
    if (gone.count(pid) == 0) return SysCalls::Kill(pid, signal);
    errno = ESRCH;
    return -1;
  }
  timespec RealTime() override {
    timespec now = SysCalls::RealTime();
    now.tv_sec += clock_shift;
    return now;
  }

 private:
  int Coarsen(int result, struct stat* st) const {
    if (whole_seconds) st->st_mtim.tv_nsec = st->st_ctim.tv_nsec = st->st_atim.tv_nsec = 0;
    return result;
  }
  bool Fails(const std::string& call, std::string_view path = {}) {
    const auto it = faults.find(call);
    if (it != faults.end() && path.find(it->second.path) == std::string_view::npos) return false;
    const int use = ++uses[call];
    if (it == faults.end() || use < it->second.from || use >= it->second.from + it->second.times) {
      return false;
    }
    errno = it->second.error;
    return true;
  }
};

}  // namespace qrx::test
