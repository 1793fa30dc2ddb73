// The POSIX platform: directory search, whole-file reads, writes and appends, the search path.
// Every file-system call goes through the platform's system calls (posix_sys.h).
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

bool IsRegularFile(posix::SysCalls& sys, const std::string& path) {
  struct stat st {};
  return sys.Stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool HasWildcard(std::u16string_view pattern) {
  return pattern.find_first_of(u"*?") != std::u16string_view::npos;
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
    if (!IsRegularFile(*sys_, *fs)) return std::nullopt;
    return std::u16string(name_pattern);
  }

  posix::FolderListing listing(*sys_, parts.folder);
  if (!listing) return std::nullopt;
  // The smallest matching name, so the answer does not depend on the file system's order.
  std::optional<std::string> best;
  while (const dirent* entry = listing.Next()) {
    const std::string name = entry->d_name;
    if (name.front() == '.') continue;  // hidden, and "." and ".."
    if (best && name >= *best) continue;
    const std::u16string text = Utf8ToUtf16(name);
    // A name that is not valid UTF-8 could not be opened again under the text we return.
    if (Utf16ToUtf8(text) != name || !posix::WildcardMatch(name_pattern, text)) continue;
    if (!IsRegularFile(*sys_, Join(parts.folder, name))) continue;
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
  auto contents = posix::ReadWholeFile(*sys_, *fs);
  if (!contents) return std::nullopt;
  return std::move(contents->bytes);
}

std::optional<FileStamp> PosixPlatform::StampOf(std::u16string_view path) {
  const auto fs = posix::FsPath(path);
  struct stat st {};
  if (!fs || sys_->Stat(fs->c_str(), &st) != 0) return std::nullopt;
  return FileStamp{static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                   static_cast<int64_t>(st.st_size)};
}

bool PosixPlatform::WriteFile(std::u16string_view path, std::string_view bytes) {
  const auto fs = posix::FsPath(path);
  return fs && posix::ReplaceFile(*sys_, *fs, std::nullopt, posix::Flush::kYes,
                                  [&](int fd) { return posix::WriteAll(*sys_, fd, bytes); });
}

bool PosixPlatform::AppendFile(std::u16string_view path, std::string_view bytes) {
  const auto fs = posix::FsPath(path);
  if (!fs) return false;
  // Not blocking on a FIFO, and never writing into a device such as the terminal.
  posix::UniqueFd fd(posix::RetryOnInterrupt([&] {
                       return sys_->Open(fs->c_str(),
                                         O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK,
                                         0666);
                     }),
                     sys_.get());
  struct stat st {};
  if (!fd || sys_->Fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return posix::WriteAll(*sys_, fd.Get(), bytes) && fd.Close();
}

bool PosixPlatform::CopyFile(std::u16string_view from, std::u16string_view to) {
  const auto source = posix::FsPath(from);
  const auto target = posix::FsPath(to);
  if (!source || !target) return false;
  struct stat st {};
  const posix::UniqueFd in = posix::OpenRegular(*sys_, *source, &st);
  if (!in) return false;
  // A file copied onto itself would be read while it is being replaced; Windows refuses
  // this too.
  struct stat existing {};
  if (sys_->Stat(target->c_str(), &existing) == 0 && existing.st_dev == st.st_dev &&
      existing.st_ino == st.st_ino) {
    return false;
  }
  return posix::ReplaceFile(*sys_, *target, st.st_mode & 07777, posix::Flush::kYes, [&](int out) {
    return posix::ReadChunks(*sys_, in.Get(), [&](std::string_view chunk) {
      return posix::WriteAll(*sys_, out, chunk);
    });
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
    if (!IsRegularFile(*sys_, full)) continue;
    const std::u16string found = Utf8ToUtf16(Clean(full));
    // Found but too long is not found, and the search does not go on to later folders.
    if (ToAnsi(found).size() > kSearchPathLimit) return {};
    return found;
  }
  return {};
}

}  // namespace qrx
