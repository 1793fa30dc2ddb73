#include "platform/posix/posix_fs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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
    sys_ = other.sys_;
  }
  return *this;
}

bool UniqueFd::Close() {
  // Linux releases the descriptor even when close fails (EINTR too), so it is never retried.
  const int fd = Release();
  if (fd < 0) return true;
  return (sys_ != nullptr ? sys_->Close(fd) : ::close(fd)) == 0;
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

UniqueFd OpenRegular(SysCalls& sys, const std::string& path, struct stat* st) {
  UniqueFd fd(RetryOnInterrupt(
                  [&] { return sys.Open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK, 0); }),
              &sys);
  if (!fd || sys.Fstat(fd.Get(), st) != 0 || !S_ISREG(st->st_mode)) return {};
  return fd;
}

std::optional<FileContents> ReadWholeFile(SysCalls& sys, const std::string& path) {
  FileContents contents;
  contents.opened_after = sys.RealTime();
  const UniqueFd fd = OpenRegular(sys, path, &contents.status);
  if (!fd) return std::nullopt;
  std::string& bytes = contents.bytes;
  const size_t size = static_cast<size_t>(contents.status.st_size);
  // Asking for one byte more than the file holds: a read that gives less than that once the
  // whole size is in has met the end, so no further read is needed to see it.
  for (;;) {
    const size_t want = bytes.size() < size ? size - bytes.size() + 1 : 64 * 1024;
    const size_t old_size = bytes.size();
    bytes.resize(old_size + want);
    const ssize_t n =
        RetryOnInterrupt([&] { return sys.Read(fd.Get(), bytes.data() + old_size, want); });
    if (n < 0) return std::nullopt;
    bytes.resize(old_size + static_cast<size_t>(n));
    if (n == 0 || (bytes.size() >= size && static_cast<size_t>(n) < want)) return contents;
  }
}

bool WriteAll(SysCalls& sys, int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = RetryOnInterrupt([&] { return sys.Write(fd, bytes.data(), bytes.size()); });
    if (n < 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

namespace {

constexpr std::string_view kTempPrefix = ".qrx-";
constexpr std::string_view kTempSuffix = ".tmp";
// A temporary file nobody has written to for this long is stale even if a process of its
// number runs: that is a new process by now.
constexpr time_t kStaleSeconds = 60 * 60;

// The process number in a name of the form ".qrx-<pid>-<n>.tmp", or nothing.
std::optional<pid_t> TempOwner(std::string_view name) {
  if (!name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix)) return std::nullopt;
  name = name.substr(kTempPrefix.size(), name.size() - kTempPrefix.size() - kTempSuffix.size());
  const size_t dash = name.find('-');
  if (dash == 0 || dash == std::string_view::npos || dash > 9 || dash + 1 == name.size()) {
    return std::nullopt;
  }
  pid_t pid = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    const char c = name[i];
    if (i == dash) continue;
    if (c < '0' || c > '9') return std::nullopt;
    if (i < dash) pid = pid * 10 + (c - '0');
  }
  return pid;
}

std::string InFolder(const std::string& folder, std::string_view name) {
  return (folder == "/" ? std::string() : folder) + "/" + std::string(name);
}

}  // namespace

void ClearStaleTemporaries(SysCalls& sys, const std::string& folder) {
  FolderListing listing(sys, folder);
  if (!listing) return;
  const time_t now = sys.RealTime().tv_sec;
  while (const dirent* entry = listing.Next()) {
    const auto owner = TempOwner(entry->d_name);
    if (!owner) continue;
    const std::string path = InFolder(folder, entry->d_name);
    struct stat st {};
    if (sys.Lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    // A process that exists but is not ours to signal still exists (EPERM).
    const bool gone = sys.Kill(*owner, 0) != 0 && errno == ESRCH;
    if (gone || now - st.st_mtime > kStaleSeconds) (void)sys.Unlink(path.c_str());
  }
}

std::string TemporaryPath(SysCalls& sys, const std::string& folder, unsigned long long n) {
  return InFolder(folder, kTempPrefix) + std::to_string(sys.GetPid()) + "-" + std::to_string(n) +
         std::string(kTempSuffix);
}

TempFile::TempFile(SysCalls& sys, const std::string& target, Stale stale)
    : sys_(sys), target_(target) {
  struct stat st {};
  bool found = sys_.Lstat(target.c_str(), &st) == 0;
  if (found && S_ISLNK(st.st_mode)) {
    std::unique_ptr<char, decltype(&std::free)> real(sys_.RealPath(target.c_str()), &std::free);
    // A dangling link has no file to replace; the link itself is then replaced.
    if (real) target_ = real.get();
    found = real && sys_.Stat(target_.c_str(), &st) == 0;
  }
  if (found) target_mode_ = st.st_mode & 07777;
  const PathParts parts = SplitFsPath(target_);
  if (parts.name.empty()) return;
  if (stale == Stale::kClear) ClearStaleTemporaries(sys_, parts.folder);
  const timespec now = sys_.RealTime();
  unsigned long long seed = static_cast<unsigned long long>(now.tv_sec) * 1000000000ull +
                            static_cast<unsigned long long>(now.tv_nsec);
  // The name only has to be new; O_EXCL makes sure it is, so a clash just tries the next.
  for (int attempt = 0; attempt < 100; ++attempt, ++seed) {
    std::string candidate = TemporaryPath(sys_, parts.folder, seed);
    const int fd = RetryOnInterrupt([&] {
      // Made with the old file's permissions where the process's mask lets it, which spares
      // changing them afterwards in the usual case.
      return sys_.Open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                       target_mode_ ? (*target_mode_ & 0777) : 0666);
    });
    if (fd >= 0) {
      fd_ = UniqueFd(fd, &sys_);
      temp_ = std::move(candidate);
      return;
    }
    if (errno != EEXIST) return;
  }
}

TempFile::~TempFile() {
  fd_.Reset();
  if (!temp_.empty()) (void)sys_.Unlink(temp_.c_str());
}

bool TempFile::Commit(std::optional<unsigned> mode, Flush flush, struct stat* written) {
  if (!fd_) return false;
  if (!mode) mode = target_mode_;
  struct stat st {};
  const bool known = sys_.Fstat(fd_.Get(), &st) == 0;
  if (written != nullptr) {
    *written = {};
    if (known) *written = st;
  }
  // Best effort: some file systems keep no permissions, and the bytes matter more.
  if (mode && (!known || (st.st_mode & 07777) != *mode)) {
    (void)sys_.Fchmod(fd_.Get(), static_cast<mode_t>(*mode));
  }
  if (flush == Flush::kYes && RetryOnInterrupt([&] { return sys_.Fsync(fd_.Get()); }) != 0) {
    return false;
  }
  if (!fd_.Close()) return false;
  if (RetryOnInterrupt([&] { return sys_.Rename(temp_.c_str(), target_.c_str()); }) != 0) {
    return false;
  }
  temp_.clear();
  return true;
}

}  // namespace qrx::posix
