#include "platform/posix/posix_fs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <memory>

#include "base/text.h"

namespace qrx::posix {

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    Reset();
    fd_ = other.Release();
  }
  return *this;
}

void UniqueFd::Reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool UniqueFd::Close() {
  // Linux releases the descriptor even when close fails, so it is never retried.
  const int fd = Release();
  return fd < 0 || ::close(fd) == 0;
}

std::optional<std::string> FsPath(std::u16string_view path) {
  if (path.empty() || path.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  return Utf16ToUtf8(path);
}

PathParts SplitFsPath(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {".", path};
  if (slash == 0) return {"/", path.substr(1)};
  return {path.substr(0, slash), path.substr(slash + 1)};
}

namespace {

std::u32string CodePoints(std::u16string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      out.push_back(0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00));
      ++i;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// Greedy matching with one step of backtracking to the last '*': linear in practice and
// never recursive, so no pattern can exhaust the stack.
bool Match(std::u32string_view pattern, std::u32string_view name) {
  size_t p = 0;
  size_t n = 0;
  size_t star = std::u32string_view::npos;
  size_t resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == U'*') {
      star = p++;
      resume = n;
    } else if (star != std::u32string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == U'*') ++p;
  return p == pattern.size();
}

}  // namespace

bool WildcardMatch(std::u16string_view pattern, std::u16string_view name) {
  const std::u32string p = CodePoints(pattern);
  const std::u32string n = CodePoints(name);
  if (Match(p, n)) return true;
  const std::u32string_view pv = p;
  return pv.ends_with(U".*") && n.find(U'.') == std::u32string::npos &&
         Match(pv.substr(0, pv.size() - 2), n);
}

TempFile::TempFile(const std::string& target) : target_(target) {
  struct stat st {};
  if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(target.c_str(), nullptr),
                                                     &std::free);
    // A dangling link has no file to replace; the link itself is then replaced.
    if (real) target_ = real.get();
  }
  const PathParts parts = SplitFsPath(target_);
  if (parts.name.empty()) return;
  const std::string prefix = (parts.folder == "/" ? std::string() : parts.folder) + "/.qrx-" +
                             std::to_string(::getpid()) + "-";
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  unsigned long long seed = static_cast<unsigned long long>(ts.tv_sec) * 1000000000ull +
                            static_cast<unsigned long long>(ts.tv_nsec);
  // The name only has to be new; O_EXCL makes sure it is, so a clash just tries the next.
  for (int attempt = 0; attempt < 100; ++attempt, ++seed) {
    std::string candidate = prefix + std::to_string(seed) + ".tmp";
    const int fd =
        ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd >= 0) {
      fd_ = UniqueFd(fd);
      temp_ = std::move(candidate);
      return;
    }
    if (errno != EEXIST) return;
  }
}

TempFile::~TempFile() {
  fd_.Reset();
  if (!temp_.empty()) ::unlink(temp_.c_str());
}

bool TempFile::Commit(std::optional<unsigned> mode) {
  if (!fd_ || ::fsync(fd_.Get()) != 0) return false;
  if (!mode) {
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0) mode = st.st_mode & 07777;
  }
  // Best effort: some file systems keep no permissions, and the bytes matter more.
  if (mode) (void)::fchmod(fd_.Get(), static_cast<mode_t>(*mode));
  if (!fd_.Close()) return false;
  if (::rename(temp_.c_str(), target_.c_str()) != 0) return false;
  temp_.clear();
  return true;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace qrx::posix
