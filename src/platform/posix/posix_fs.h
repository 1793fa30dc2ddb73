// Helpers the POSIX platform shares between its files: descriptors, path text, wildcards,
// reading a whole file and replacing one atomically.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/posix/posix_sys.h"

namespace qrx::posix {

// A file descriptor that closes itself through the system calls it was opened with; without
// them (the pipes of child processes) through the system's own close.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd, SysCalls* sys = nullptr) : fd_(fd), sys_(sys) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()), sys_(other.sys_) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  ~UniqueFd() { Reset(); }

  int Get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset() { (void)Close(); }
  // Closes now and tells whether the close succeeded (a late write error shows here).
  bool Close();

 private:
  int fd_ = -1;
  SysCalls* sys_ = nullptr;
};

// The file-system form (UTF-8) of a path, or nothing when the text cannot name a file:
// empty, or holding a NUL that would cut the path short.
std::optional<std::string> FsPath(std::u16string_view path);

// The folder and name of a UTF-8 path, split at the last '/': "a/b" -> ("a", "b"),
// "b" -> (".", "b"), "/b" -> ("/", "b").
struct PathParts {
  std::string folder;
  std::string name;
};
PathParts SplitFsPath(const std::string& path);

// Matches a file name against a pattern in which '*' stands for any run of characters and
// '?' for exactly one character; every other character, '[' and '\' included, stands for
// itself, and case counts. As in the Windows file search, a pattern ending in ".*" also
// takes names without any dot ("*.*" takes every name, "readme.*" takes "readme").
bool WildcardMatch(std::u16string_view pattern, std::u16string_view name);

// A folder open for listing, closed again through the same system calls.
class FolderListing {
 public:
  FolderListing(SysCalls& sys, const std::string& path)
      : sys_(sys), dir_(sys.OpenDir(path.c_str())) {}
  FolderListing(const FolderListing&) = delete;
  FolderListing& operator=(const FolderListing&) = delete;
  ~FolderListing() {
    if (dir_ != nullptr) sys_.CloseDir(dir_);
  }
  explicit operator bool() const { return dir_ != nullptr; }
  // The next entry ("." and ".." included), or nullptr after the last.
  const dirent* Next() { return sys_.ReadDir(dir_); }

 private:
  SysCalls& sys_;
  DIR* dir_;
};

// Opens a file for reading only when it is an ordinary file: a FIFO or device would block or
// never end, and a folder has no bytes. `st` receives its status.
UniqueFd OpenRegular(SysCalls& sys, const std::string& path, struct stat* st);

// Passes every chunk of an open file to `sink` (a callable taking a std::string_view and
// returning false to stop); false on a read error or when `sink` refused.
template <typename Sink>
bool ReadChunks(SysCalls& sys, int fd, Sink&& sink) {
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t n = RetryOnInterrupt([&] { return sys.Read(fd, buffer, sizeof buffer); });
    if (n == 0) return true;
    if (n < 0) return false;
    if (!sink(std::string_view(buffer, static_cast<size_t>(n)))) return false;
  }
}

// A whole ordinary file, its status when it was opened, and the time just before that.
struct FileContents {
  std::string bytes;
  struct stat status {};
  timespec opened_after{};
};
// Nothing when the path names no ordinary file or a read fails.
std::optional<FileContents> ReadWholeFile(SysCalls& sys, const std::string& path);

// Writes all of the bytes, carrying on after short writes and interrupted calls.
bool WriteAll(SysCalls& sys, int fd, std::string_view bytes);

// Removes the temporary files of our own naming in a folder (".qrx-<pid>-<n>.tmp") that a
// process ended in the middle of a write left behind: those whose process is gone, and those
// nobody has written to for an hour (their number may belong to a new process by now).
void ClearStaleTemporaries(SysCalls& sys, const std::string& folder);

// A path of that temporary-file form in a folder; `n` tells apart the names one process
// takes. Short whatever the name of the file it stands in for.
std::string TemporaryPath(SysCalls& sys, const std::string& folder, unsigned long long n);

// Whether the bytes of a replaced file are flushed to the disk before the rename.
enum class Flush { kNo, kYes };

// A hidden temporary file beside a target, renamed over the target on Commit, so that a
// reader sees the old file or the new one, never a mix. A symbolic link at the target is
// followed: the file it points to is replaced and the link stays. The temporary file never
// outlives a failure, and stale ones of earlier processes go before a new one is made.
class TempFile {
 public:
  // Whether stale temporary files in the folder are cleared first (a caller that writes
  // often may clear them itself, less often).
  enum class Stale { kClear, kLeave };
  TempFile(SysCalls& sys, const std::string& target, Stale stale = Stale::kClear);
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile();

  int fd() const { return fd_.Get(); }
  bool ok() const { return static_cast<bool>(fd_); }
  // The file that is replaced (a symbolic link followed).
  const std::string& target() const { return target_; }
  // Sets the permissions, flushes the bytes when asked, and renames the file over the target.
  // The new file takes `mode` when given, else the permissions of the file it replaces, else
  // the defaults for new files. `written`, when given, receives the file's status before the
  // rename (an inode of 0 when it could not be had).
  bool Commit(std::optional<unsigned> mode, Flush flush, struct stat* written = nullptr);

 private:
  SysCalls& sys_;
  std::string target_;
  std::optional<unsigned> target_mode_;  // the permissions of the file to replace
  std::string temp_;
  UniqueFd fd_;
};

// Replaces (or creates) the file at `path` with what `fill` writes to a descriptor.
template <typename Fill>
bool ReplaceFile(SysCalls& sys, const std::string& path, std::optional<unsigned> mode, Flush flush,
                 Fill&& fill) {
  TempFile temp(sys, path);
  return temp.ok() && fill(temp.fd()) && temp.Commit(mode, flush);
}

}  // namespace qrx::posix
