#include "platform/posix/posix_sys.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace qrx::posix {

int SysCalls::Open(const char* path, int flags, mode_t mode) {
  return ::open(path, flags, mode);
}
ssize_t SysCalls::Read(int fd, void* buffer, size_t size) {
  return ::read(fd, buffer, size);
}
ssize_t SysCalls::Write(int fd, const void* buffer, size_t size) {
  return ::write(fd, buffer, size);
}
int SysCalls::Fsync(int fd) {
  return ::fsync(fd);
}
int SysCalls::Close(int fd) {
  return ::close(fd);
}
int SysCalls::Fstat(int fd, struct stat* st) {
  return ::fstat(fd, st);
}
int SysCalls::Fchmod(int fd, mode_t mode) {
  return ::fchmod(fd, mode);
}
int SysCalls::Stat(const char* path, struct stat* st) {
  return ::stat(path, st);
}
int SysCalls::Lstat(const char* path, struct stat* st) {
  return ::lstat(path, st);
}
int SysCalls::Rename(const char* from, const char* to) {
  return ::rename(from, to);
}
int SysCalls::Unlink(const char* path) {
  return ::unlink(path);
}
char* SysCalls::RealPath(const char* path) {
  return ::realpath(path, nullptr);
}
DIR* SysCalls::OpenDir(const char* path) {
  return ::opendir(path);
}
dirent* SysCalls::ReadDir(DIR* dir) {
  return ::readdir(dir);
}
int SysCalls::CloseDir(DIR* dir) {
  return ::closedir(dir);
}
int SysCalls::Kill(pid_t pid, int signal) {
  return ::kill(pid, signal);
}
pid_t SysCalls::GetPid() {
  return ::getpid();
}
timespec SysCalls::RealTime() {
  timespec ts{};
  ::clock_gettime(CLOCK_REALTIME, &ts);
  return ts;
}

}  // namespace qrx::posix
