// The system calls the POSIX platform makes on files, behind one interface.
//
// The platform object owns one `SysCalls` and makes every file-system call through it, so a
// test can hand it a subclass that fails a chosen call or interrupts it with EINTR, and check
// what the platform then leaves on the disk. Each method does exactly what the system call of
// its name does: same arguments, same result, errno set by the call itself.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <ctime>

namespace qrx::posix {

class SysCalls {
 public:
  virtual ~SysCalls() = default;

  virtual int Open(const char* path, int flags, mode_t mode);
  virtual ssize_t Read(int fd, void* buffer, size_t size);
  virtual ssize_t Write(int fd, const void* buffer, size_t size);
  virtual int Fsync(int fd);
  virtual int Close(int fd);
  virtual int Fstat(int fd, struct stat* st);
  virtual int Fchmod(int fd, mode_t mode);
  virtual int Stat(const char* path, struct stat* st);
  virtual int Lstat(const char* path, struct stat* st);
  virtual int Rename(const char* from, const char* to);
  virtual int Unlink(const char* path);
  // realpath(path, nullptr): the caller frees the result.
  virtual char* RealPath(const char* path);
  virtual DIR* OpenDir(const char* path);
  virtual dirent* ReadDir(DIR* dir);
  virtual int CloseDir(DIR* dir);
  // kill(pid, 0): whether a process exists is all it asks.
  virtual int Kill(pid_t pid, int signal);
  virtual pid_t GetPid();
  // clock_gettime(CLOCK_REALTIME): the clock file times are taken from.
  virtual timespec RealTime();
};

// Calls `call` again while it fails with EINTR; its last result.
template <typename Call>
auto RetryOnInterrupt(Call&& call) {
  for (;;) {
    const auto result = call();
    if (!(result == -1 && errno == EINTR)) return result;
  }
}

}  // namespace qrx::posix
