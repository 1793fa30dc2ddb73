// The POSIX platform: directory search, whole-file reads and writes, the search path.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <vector>

#include "base/text.h"
#include "platform/posix/posix_fs.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_process.h"

namespace qrx {

namespace {

// The longest path a search-path lookup can return: the Windows lookup writes into a
// 255-byte ANSI buffer that must also hold the closing NUL.
constexpr size_t kSearchPathLimit = 254;

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

bool HasWildcard(std::u16string_view pattern) {
  return pattern.find_first_of(u"*?") != std::u16string_view::npos;
}

// Opens a file for reading only when it is an ordinary file: a FIFO or device would block
// or never end, and a folder has no bytes.
posix::UniqueFd OpenRegular(const std::string& path, struct stat* st) {
  posix::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd || ::fstat(fd.Get(), st) != 0 || !S_ISREG(st->st_mode)) return {};
  return fd;
}

// Passes every chunk of a file to `sink`; false on a read error or when `sink` refuses.
template <typename Sink>
bool ReadChunks(int fd, Sink&& sink) {
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    const ssize_t n = ::read(fd, buffer.data(), buffer.size());
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (!sink(std::string_view(buffer.data(), static_cast<size_t>(n)))) return false;
  }
}

// Joins a folder and a name without doubling the '/' of the root.
std::string Join(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

// An absolute path with the "." parts and repeated '/' taken out. ".." is kept: dropping
// it with the folder before it would be wrong when that folder is a symbolic link.
std::string Clean(const std::string& absolute) {
  std::string out;
  for (size_t i = 0; i < absolute.size();) {
    const size_t end = std::min(absolute.find('/', i), absolute.size());
    const std::string_view part(absolute.data() + i, end - i);
    if (!part.empty() && part != ".") {
      out += '/';
      out += part;
    }
    i = end + 1;
  }
  return out.empty() ? "/" : out;
}

}  // namespace

std::optional<std::u16string> PosixPlatform::FindFirstFile(std::u16string_view pattern) {
  const auto fs = posix::FsPath(pattern);
  if (!fs) return std::nullopt;
  const posix::PathParts parts = posix::SplitFsPath(*fs);
  const size_t slash = pattern.rfind(u'/');
  const std::u16string_view name_pattern =
      slash == std::u16string_view::npos ? pattern : pattern.substr(slash + 1);
  // Whatever such a pattern matches is hidden.
  if (name_pattern.empty() || name_pattern.front() == u'.') return std::nullopt;

  // A plain name needs no listing of the folder.
  if (!HasWildcard(name_pattern)) {
    if (!IsRegularFile(*fs)) return std::nullopt;
    return std::u16string(name_pattern);
  }

  const std::unique_ptr<DIR, DirCloser> dir(::opendir(parts.folder.c_str()));
  if (!dir) return std::nullopt;
  // The smallest matching name, so the answer does not depend on the file system's order.
  std::optional<std::string> best;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name.front() == '.') continue;  // hidden, and "." and ".."
    if (best && name >= *best) continue;
    const std::u16string text = Utf8ToUtf16(name);
    // A name that is not valid UTF-8 could not be opened again under the text we return.
    if (Utf16ToUtf8(text) != name || !posix::WildcardMatch(name_pattern, text)) continue;
    struct stat st {};
    if (::fstatat(::dirfd(dir.get()), name.c_str(), &st, 0) != 0 || !S_ISREG(st.st_mode)) {
      continue;
    }
    best = name;
  }
  if (!best) return std::nullopt;
  return Utf8ToUtf16(*best);
}

bool PosixPlatform::FileExists(std::u16string_view path) {
  const auto fs = posix::FsPath(path);
  if (!fs) return false;
  struct stat st {};
  if (::stat(fs->c_str(), &st) == 0) return !S_ISDIR(st.st_mode);
  // Only a name the system reports as missing is missing; one it cannot look at (a folder
  // without search permission, a loop of links) may well be a file of the user's.
  return errno == EACCES || errno == ELOOP || errno == EOVERFLOW;
}

std::optional<std::string> PosixPlatform::ReadFile(std::u16string_view path) {
  const auto fs = posix::FsPath(path);
  if (!fs) return std::nullopt;
  struct stat st {};
  const posix::UniqueFd fd = OpenRegular(*fs, &st);
  if (!fd) return std::nullopt;
  std::string bytes;
  bytes.reserve(static_cast<size_t>(st.st_size));
  const bool ok = ReadChunks(fd.Get(), [&](std::string_view chunk) {
    bytes.append(chunk);
    return true;
  });
  if (!ok) return std::nullopt;
  return bytes;
}

bool PosixPlatform::WriteFile(std::u16string_view path, std::string_view bytes) {
  const auto fs = posix::FsPath(path);
  return fs &&
         posix::ReplaceFile(*fs, std::nullopt, [&](int fd) { return posix::WriteAll(fd, bytes); });
}

bool PosixPlatform::CopyFile(std::u16string_view from, std::u16string_view to) {
  const auto source = posix::FsPath(from);
  const auto target = posix::FsPath(to);
  if (!source || !target) return false;
  struct stat st {};
  const posix::UniqueFd in = OpenRegular(*source, &st);
  if (!in) return false;
  // A file copied onto itself would be read while it is being replaced; Windows refuses
  // this too.
  struct stat existing {};
  if (::stat(target->c_str(), &existing) == 0 && existing.st_dev == st.st_dev &&
      existing.st_ino == st.st_ino) {
    return false;
  }
  return posix::ReplaceFile(*target, st.st_mode & 07777, [&](int out) {
    return ReadChunks(in.Get(),
                      [&](std::string_view chunk) { return posix::WriteAll(out, chunk); });
  });
}

std::u16string PosixPlatform::SearchPath(std::u16string_view name) {
  const auto fs = posix::FsPath(name);
  if (!fs) return {};
  const std::string cwd = Utf16ToUtf8(CurrentDirectory());
  std::vector<std::string> candidates;
  if (fs->find('/') != std::string::npos) {
    candidates.push_back(*fs);
  } else {
    // (An empty PATH entry would mean the current folder, which comes earlier anyway.)
    std::vector<std::string> folders = {Utf16ToUtf8(ProgramDirectory()), cwd};
    for (std::string& folder : posix::PathFolders()) folders.push_back(std::move(folder));
    for (const std::string& folder : folders) {
      if (!folder.empty()) candidates.push_back(Join(folder, *fs));
    }
  }
  for (const std::string& candidate : candidates) {
    const std::string full = candidate.starts_with('/') ? candidate : Join(cwd, candidate);
    if (!IsRegularFile(full)) continue;
    const std::u16string found = Utf8ToUtf16(Clean(full));
    // Found but too long is not found, and the search does not go on to later folders.
    if (ToAnsi(found).size() > kSearchPathLimit) return {};
    return found;
  }
  return {};
}

}  // namespace qrx
