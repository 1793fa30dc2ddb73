// Helpers the POSIX platform shares between its files: descriptors, path text, wildcards.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qrx::posix {

// A file descriptor that closes itself.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  ~UniqueFd() { Reset(); }

  int Get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  int Release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void Reset();
  // Closes now and tells whether the close succeeded (a late write error shows here).
  bool Close();

 private:
  int fd_ = -1;
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

// A hidden temporary file beside a target, renamed over the target on Commit, so that a
// reader sees the old file or the new one, never a mix. A symbolic link at the target is
// followed: the file it points to is replaced and the link stays. The temporary file never
// outlives a failure.
class TempFile {
 public:
  explicit TempFile(const std::string& target);
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile();

  int fd() const { return fd_.Get(); }
  bool ok() const { return static_cast<bool>(fd_); }
  // Flushes the bytes to disk, sets the permissions and renames the file over the target.
  // The new file takes `mode` when given, else the permissions of the file it replaces,
  // else the defaults for new files.
  bool Commit(std::optional<unsigned> mode);

 private:
  std::string target_;
  std::string temp_;
  UniqueFd fd_;
};

// Replaces (or creates) the file at `path` with what `fill` writes to a descriptor.
template <typename Fill>
bool ReplaceFile(const std::string& path, std::optional<unsigned> mode, Fill&& fill) {
  TempFile temp(path);
  return temp.ok() && fill(temp.fd()) && temp.Commit(mode);
}

// Writes all of the bytes, carrying on after short writes and interrupted calls.
bool WriteAll(int fd, std::string_view bytes);

}  // namespace qrx::posix
