// The shell's file operations on POSIX, with the Windows shell's meaning: a wildcard in the
// last part of a source name, folders with their contents, a destination folder made when
// missing, questions before a delete or a replace, the trash for flag 64, and the shell's
// result codes. Also the directory commands MD, CD and CHDRIVE.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "base/text.h"
#include "platform/posix/posix_file_ops.h"
#include "platform/posix/posix_fs.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_sys.h"

namespace qrx {
namespace {

// Windows error codes and the shell's own (DE_) codes, as the shell reports them.
constexpr int32_t kFileNotFound = 2;
constexpr int32_t kPathNotFound = 3;
constexpr int32_t kAccessDenied = 5;
constexpr int32_t kNotSupported = 50;
constexpr int32_t kInvalidParameter = 87;
constexpr int32_t kInvalidName = 123;
constexpr int32_t kAlreadyExists = 183;
constexpr int32_t kDirectoryName = 267;
constexpr int32_t kSameFile = 0x71;
constexpr int32_t kManySourcesOneTarget = 0x72;
constexpr int32_t kOtherFolder = 0x73;
constexpr int32_t kRootFolder = 0x74;
constexpr int32_t kIntoItself = 0x76;
constexpr int32_t kFolderOverFile = 0x7E;
constexpr int32_t kFileOverFolder = 0x80;

using posix::SysCalls;

bool Lstat(SysCalls& sys, const std::string& path, struct stat& st) {
  return sys.Lstat(path.c_str(), &st) == 0;
}

bool IsFolder(SysCalls& sys, const std::string& path) {
  struct stat st {};
  return sys.Stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The names in a folder, without "." and "..", sorted. 0 or the errno of the failure.
int FolderNames(SysCalls& sys, const std::string& folder, std::vector<std::string>& names) {
  posix::FolderListing listing(sys, folder);
  if (!listing) return errno;
  errno = 0;
  while (const dirent* entry = listing.Next()) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  if (errno != 0) return errno;
  std::sort(names.begin(), names.end());
  return 0;
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

// Trailing separators go ("dir/" is "dir"), except for the root itself.
std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// A name that does not exist: its folder is missing (path not found) or only the name.
int32_t MissingCode(SysCalls& sys, const std::string& path) {
  return IsFolder(sys, posix::SplitFsPath(path).folder) ? kFileNotFound : kPathNotFound;
}

int32_t CodeOf(SysCalls& sys, int error, const std::string& path) {
  return error == ENOENT ? MissingCode(sys, path) : posix::ShellCodeForFileErrno(error);
}

// The names of a shell name list (each ends with NUL, an empty name ends the list).
std::vector<std::string> Names(std::u16string_view list) {
  std::vector<std::string> names;
  while (!list.empty()) {
    const size_t end = std::min(list.find(u'\0'), list.size());
    if (end == 0) break;
    names.push_back(Utf16ToUtf8(list.substr(0, end)));
    list.remove_prefix(std::min(end + 1, list.size()));
  }
  return names;
}

struct Item {
  std::string path;  // as used for the calls
  std::string name;  // its last part
};

struct Expansion {
  std::vector<Item> items;
  bool wildcard = false;
  int32_t code = 0;  // why the name stands for nothing at all
};

// What a source name stands for: itself, or with "*" or "?" in its last part every match in
// its folder (sorted; names starting with "." only for a pattern that does too).
Expansion Expand(SysCalls& sys, const std::string& source, bool files_only) {
  Expansion e;
  const std::string path = WithoutTrailingSlash(source);
  const posix::PathParts parts = posix::SplitFsPath(path);
  if (parts.name == "." || parts.name == "..") {
    // The folder itself or its parent, written so that a partial delete could follow.
    e.code = kInvalidName;
    return e;
  }
  struct stat st {};
  // A name that exists as written is that file, "*" and "?" in it included (Linux allows
  // them in names); only a name that does not is a pattern.
  const bool exists = Lstat(sys, path, st);
  if (exists || parts.name.find_first_of("*?") == std::string::npos) {
    if (!exists) {
      e.code = CodeOf(sys, errno, path);
    } else {
      e.items.push_back({path, path == "/" ? path : parts.name});
    }
    return e;
  }
  e.wildcard = true;
  std::vector<std::string> names;
  if (const int error = FolderNames(sys, parts.folder, names)) {
    e.code =
        error == ENOENT || error == ENOTDIR ? kPathNotFound : posix::ShellCodeForFileErrno(error);
    return e;
  }
  const std::u16string pattern = Utf8ToUtf16(parts.name);
  const bool dot_names = parts.name.starts_with('.');
  for (const std::string& name : names) {
    if (name.starts_with('.') && !dot_names) continue;
    if (!posix::WildcardMatch(pattern, Utf8ToUtf16(name))) continue;
    const std::string item =
        source.find('/') == std::string::npos ? name : Join(parts.folder, name);
    if (files_only && Lstat(sys, item, st) && S_ISDIR(st.st_mode)) continue;
    e.items.push_back({item, name});
  }
  return e;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when `path` (existing or about to be made) is the folder `outer` or lies inside it.
// Device and inode decide, climbing from the nearest existing part of the path through "..",
// so that neither links nor bind mounts (which show one folder under two paths) hide it.
bool IsWithin(SysCalls& sys, std::string path, const struct stat& outer) {
  path = WithoutTrailingSlash(path);
  struct stat st {};
  while (sys.Stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    const std::string up = posix::SplitFsPath(path).folder;
    if (up == path) return false;
    path = up;
  }
  posix::UniqueFd at(::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  while (at && ::fstat(at.Get(), &st) == 0) {
    if (SameFile(st, outer)) return true;
    posix::UniqueFd up(::openat(at.Get(), "..", O_PATH | O_DIRECTORY | O_CLOEXEC));
    struct stat parent {};
    if (!up || ::fstat(up.Get(), &parent) != 0 || SameFile(parent, st)) return false;
    at = std::move(up);
  }
  return false;
}

// The mount table's escapes ("\040" for a space and the other octal ones) undone.
std::string Unescaped(const std::string& field) {
  std::string out;
  for (size_t i = 0; i < field.size(); ++i) {
    const bool octal = field[i] == '\\' && i + 3 < field.size() &&
                       field.find_first_not_of("01234567", i + 1) >= i + 4;
    if (octal) {
      out += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

// True when the mount table of this process has a mount point at `real` or below it.
bool MountedAtOrBelow(const std::string& real) {
  std::ifstream table("/proc/self/mountinfo");
  std::string line;
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string id, parent, device, root, point;
    if (!(fields >> id >> parent >> device >> root >> point)) continue;
    point = Unescaped(point);
    if (point == real || (point.starts_with(real) && (real == "/" || point[real.size()] == '/'))) {
      return true;
    }
  }
  return false;
}

// The folders of a tree (not following links): EBUSY for one on another device, else the
// errno of the first that cannot be written when `writable` is asked for.
int CheckTree(SysCalls& sys, const std::string& folder, dev_t device, bool writable) {
  std::vector<std::string> names;
  if (const int error = FolderNames(sys, folder, names)) return error;
  for (const std::string& name : names) {
    const std::string path = Join(folder, name);
    struct stat st {};
    if (!Lstat(sys, path, st) || !S_ISDIR(st.st_mode)) continue;
    if (st.st_dev != device) return EBUSY;
    if (writable && ::access(path.c_str(), W_OK | X_OK) != 0) return errno;
    if (const int error = CheckTree(sys, path, device, writable)) return error;
  }
  return 0;
}

// The first folder of a path that does not exist yet (made by MakeParents), or empty.
std::string FirstMissingFolder(SysCalls& sys, const std::string& path) {
  std::string missing;
  std::string folder = posix::SplitFsPath(path).folder;
  struct stat st {};
  while (!Lstat(sys, folder, st)) {
    missing = folder;
    const std::string up = posix::SplitFsPath(folder).folder;
    if (up == folder) break;
    folder = up;
  }
  return missing;
}

int MakeParents(const std::string& path) {
  const std::string folder = posix::SplitFsPath(path).folder;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return ec.value();
}

class ShellOperation {
 public:
  ShellOperation(SysCalls& sys, const ShellFileOperation& op, FileQuestions& questions)
      : sys_(sys), op_(op), questions_(questions) {}

  ShellFileResult Run() {
    const std::vector<std::string> sources = Names(op_.from);
    // An empty list names nothing to work on; the shell refuses it as it refuses a name it
    // may not touch.
    if (sources.empty()) return {kAccessDenied, false};
    int32_t code = kInvalidParameter;
    switch (op_.function) {
      case fo::kCopy:
      case fo::kMove:
        code = Transfer(sources, op_.function == fo::kMove);
        break;
      case fo::kRename:
        code = Rename(sources);
        break;
      case fo::kDelete:
        code = Delete(sources);
        break;
      default:
        break;
    }
    return {code, aborted_};
  }

 private:
  bool Confirming() const { return (op_.flags & fo::kNoConfirmation) == 0; }

  // A No skips the one item asked about, as in the Windows shell; the operation goes on and
  // is reported as cancelled in part.
  bool Allowed(FileQuestion question, const std::string& name, int32_t matches = 0) {
    if (questions_.Cancelled()) {
      aborted_ = true;
      return false;
    }
    if (!Confirming() || questions_.Confirm(question, Utf8ToUtf16(name), matches)) return true;
    aborted_ = true;
    return false;
  }

  // Expands every source first, so that a missing one stops the operation before anything
  // has been done.
  int32_t ExpandAll(const std::vector<std::string>& sources, std::vector<Item>& items,
                    bool& several) {
    several = sources.size() > 1;
    for (const std::string& source : sources) {
      Expansion e = Expand(sys_, source, false);
      if (e.code != 0) return e.code;
      several = several || e.wildcard;
      items.insert(items.end(), e.items.begin(), e.items.end());
    }
    return 0;
  }

  int32_t Transfer(const std::vector<std::string>& sources, bool move) {
    std::vector<Item> items;
    bool several = false;
    if (const int32_t code = ExpandAll(sources, items, several)) return code;
    if (items.empty()) return 0;  // a pattern that matched nothing
    const std::vector<std::string> targets = Names(op_.to);
    // Without a destination the shell uses the current folder.
    const std::string to = targets.empty() ? std::string(".") : targets.front();
    const bool into_folder = several || to.ends_with('/') || IsFolder(sys_, to);
    const std::string target_base = WithoutTrailingSlash(to);
    const auto target_of = [&](const Item& item) {
      return into_folder ? Join(target_base, item.name) : target_base;
    };
    // Every item is checked before anything is made, so that a refusal leaves nothing behind.
    for (const Item& item : items) {
      if (const int32_t code = Refusal(item.path, target_of(item), move, true)) return code;
    }
    struct stat st {};
    if (into_folder && !IsFolder(sys_, target_base) && Lstat(sys_, target_base, st)) {
      return several ? kManySourcesOneTarget : kPathNotFound;
    }
    // Folders made on the way go again when the first item fails.
    const std::string made = FirstMissingFolder(sys_, target_of(items.front()));
    int32_t code = 0;
    for (const Item& item : items) {
      const std::string target = target_of(item);
      if (const int error = MakeParents(target)) {
        code = CodeOf(error, target);
      } else {
        code = TransferOne(item.path, target, move, true);
      }
      if (code != 0 && &item == &items.front() && !made.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(made, ignored);
      }
      if (code != 0 || questions_.Cancelled()) break;
    }
    return code;
  }

  // Why an item may not go onto a target: the same file (113), a folder into itself (118);
  // else 0. A link named on the line (`top`) is copied as what it points to, so it is the
  // same file as its target; a link met inside a folder stays a link.
  int32_t Refusal(const std::string& from, const std::string& to, bool move, bool top) {
    struct stat source {};
    if (!Lstat(sys_, from, source)) return CodeOf(errno, from);
    struct stat followed = source;
    const bool resolves = sys_.Stat(from.c_str(), &followed) == 0;
    struct stat existing {};
    struct stat existing_followed {};
    if (Lstat(sys_, to, existing)) {
      if (SameFile(existing, source)) return kSameFile;
      if (resolves && sys_.Stat(to.c_str(), &existing_followed) == 0 &&
          SameFile(existing_followed, followed)) {
        return kSameFile;
      }
    }
    const struct stat& what = top && !move ? followed : source;
    if (S_ISDIR(what.st_mode) && IsWithin(sys_, to, what)) return kIntoItself;
    return 0;
  }

  // One file or folder onto a target path: replaced after a question, merged into a folder
  // of the same name, or new.
  int32_t TransferOne(std::string from, const std::string& to, bool move, bool top) {
    if (const int32_t code = Refusal(from, to, move, top)) return code;
    struct stat source {};
    if (!Lstat(sys_, from, source)) return CodeOf(errno, from);
    if (top && !move && S_ISLNK(source.st_mode)) {
      std::unique_ptr<char, decltype(&std::free)> real(sys_.RealPath(from.c_str()), &std::free);
      if (!real) return CodeOf(errno, from);
      from = real.get();
      if (!Lstat(sys_, from, source)) return CodeOf(errno, from);
    }
    const bool folder = S_ISDIR(source.st_mode);
    struct stat existing {};
    const bool exists = Lstat(sys_, to, existing);
    if (exists) {
      const bool target_folder = IsFolder(sys_, to);
      if (folder && !target_folder) return kFolderOverFile;
      if (!folder && target_folder) return kFileOverFolder;
      if (folder) return Merge(from, to, move);
      if (!Allowed(FileQuestion::kReplace, to)) return 0;
    }
    if (move) {
      // Within one file system a rename, which also replaces an existing file in one step.
      if (sys_.Rename(from.c_str(), to.c_str()) == 0) return 0;
      if (errno != EXDEV) return CodeOf(errno, from);
      // Across file systems the original must be able to go before anything is copied.
      if (const int error = posix::CheckRemovable(sys_, from, true)) return CodeOf(error, from);
    }
    const int error = exists ? ReplaceFile(from, to) : posix::CopyNew(sys_, from, to);
    // A folder met again inside its own copy: the copy would go on without end.
    if (error == ELOOP) return kIntoItself;
    if (error != 0) return CodeOf(error, from);
    if (move) {
      std::error_code ec;
      std::filesystem::remove_all(from, ec);
      if (ec) return CodeOf(ec.value(), from);
    }
    return 0;
  }

  int32_t Merge(const std::string& from, const std::string& to, bool move) {
    std::vector<std::string> names;
    if (const int error = FolderNames(sys_, from, names)) return CodeOf(error, from);
    const bool skipped_before = aborted_;
    aborted_ = false;
    for (const std::string& name : names) {
      const int32_t code = TransferOne(Join(from, name), Join(to, name), move, false);
      if (code != 0) return code;
    }
    // A folder that still holds what the user chose to keep stays.
    const bool kept = aborted_;
    aborted_ = aborted_ || skipped_before;
    if (move && !kept && ::rmdir(from.c_str()) != 0) return CodeOf(errno, from);
    return 0;
  }

  // A file over an existing file: the new copy is complete before it takes the old one's
  // place. The copy has a short name of its own, so that a long name can still be replaced.
  int ReplaceFile(const std::string& from, const std::string& to) {
    const std::string folder = posix::SplitFsPath(to).folder;
    for (unsigned long long n = 0;; ++n) {
      const std::string temp = posix::TemporaryPath(sys_, folder, n);
      if (const int error = posix::CopyNew(sys_, from, temp)) {
        if (error == EEXIST && n < 100) continue;
        return error;
      }
      if (sys_.Rename(temp.c_str(), to.c_str()) == 0) return 0;
      const int error = errno;
      std::error_code ignored;
      std::filesystem::remove_all(temp, ignored);
      return error;
    }
  }

  int32_t Rename(const std::vector<std::string>& sources) {
    if (sources.size() != 1) return kManySourcesOneTarget;
    Expansion e = Expand(sys_, sources.front(), false);
    if (e.code != 0) return e.code;
    if (e.items.empty()) return kFileNotFound;
    if (e.items.size() > 1) return kManySourcesOneTarget;
    const std::string from = e.items.front().path;
    const std::vector<std::string> targets = Names(op_.to);
    if (targets.empty()) return kInvalidName;
    std::string to = WithoutTrailingSlash(targets.front());
    const std::string folder = posix::SplitFsPath(from).folder;
    if (to.find('/') == std::string::npos) {
      // A bare new name stays in the folder of the file it renames.
      if (from.find('/') != std::string::npos) to = Join(folder, to);
    } else {
      struct stat here {};
      struct stat there {};
      if (sys_.Stat(folder.c_str(), &here) != 0 ||
          sys_.Stat(posix::SplitFsPath(to).folder.c_str(), &there) != 0 ||
          !SameFile(here, there)) {
        return kOtherFolder;
      }
    }
    if (from == "/") return kRootFolder;
    if (to == from) return 0;
    // Never over an existing name, also not one that appears meanwhile.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) {
      return errno == EEXIST ? kAlreadyExists : CodeOf(errno, from);
    }
    struct stat st {};
    if (Lstat(sys_, to, st)) return kAlreadyExists;
    return sys_.Rename(from.c_str(), to.c_str()) == 0 ? 0 : CodeOf(errno, from);
  }

  // True when the item is the trash or lies inside it: moving its index or its folders would
  // orphan what it holds.
  bool InTrash(const std::string& path) {
    struct stat trash {};
    struct stat item {};
    const std::string folder = posix::TrashFolder();
    if (folder.empty() || sys_.Stat(folder.c_str(), &trash) != 0) return false;
    return (Lstat(sys_, path, item) && SameFile(item, trash)) ||
           IsWithin(sys_, posix::SplitFsPath(path).folder, trash);
  }

  int32_t Delete(const std::vector<std::string>& sources) {
    const bool to_trash = (op_.flags & fo::kAllowUndo) != 0;
    for (const std::string& source : sources) {
      Expansion e = Expand(sys_, source, (op_.flags & fo::kFilesOnly) != 0);
      if (e.code != 0) return e.code;
      if (e.items.empty()) continue;
      // The whole of every item is checked before anything goes: a refusal deletes nothing.
      for (const Item& item : e.items) {
        if (item.path == "/") return kRootFolder;
        if (InTrash(item.path)) return kAccessDenied;
        // Into the trash a rename takes the item whole; only what is mounted inside it
        // matters (the trash on another file system is checked when the item goes there).
        if (const int error = posix::CheckRemovable(sys_, item.path, !to_trash)) {
          return CodeOf(error, item.path);
        }
      }
      const int32_t matches = e.wildcard ? static_cast<int32_t>(e.items.size()) : 0;
      if (!Allowed(to_trash ? FileQuestion::kTrash : FileQuestion::kDelete, source, matches)) {
        if (questions_.Cancelled()) break;
        continue;
      }
      for (const Item& item : e.items) {
        int error = 0;
        if (to_trash) {
          error = posix::MoveToTrash(sys_, item.path);
        } else {
          std::error_code ec;
          std::filesystem::remove_all(item.path, ec);
          error = ec.value();
        }
        if (error != 0) return CodeOf(error, item.path);
      }
    }
    return 0;
  }

  int32_t CodeOf(int error, const std::string& path) { return ::qrx::CodeOf(sys_, error, path); }

  SysCalls& sys_;
  const ShellFileOperation& op_;
  FileQuestions& questions_;
  bool aborted_ = false;
};

int CopyData(SysCalls& sys, const std::string& from, const std::string& to, const struct stat& st) {
  posix::UniqueFd in(sys.Open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW, 0), &sys);
  if (!in) return errno;
  posix::UniqueFd out(
      sys.Open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600), &sys);
  if (!out) return errno;
  std::vector<char> buffer(1 << 16);
  int error = 0;
  for (;;) {
    const ssize_t n =
        posix::RetryOnInterrupt([&] { return sys.Read(in.Get(), buffer.data(), buffer.size()); });
    if (n < 0) {
      error = errno;
      break;
    }
    if (n == 0) break;
    if (!posix::WriteAll(sys, out.Get(), std::string_view(buffer.data(), static_cast<size_t>(n)))) {
      error = errno;
      break;
    }
  }
  if (error == 0) {
    const timespec times[2] = {st.st_atim, st.st_mtim};
    (void)::futimens(out.Get(), times);
    (void)sys.Fchmod(out.Get(), st.st_mode & 07777);
    if (!out.Close()) error = errno != 0 ? errno : EIO;
  }
  if (error != 0) {
    out.Reset();
    sys.Unlink(to.c_str());
  }
  return error;
}

}  // namespace

namespace posix {

int32_t ShellCodeForFileErrno(int error) {
  switch (error) {
    case 0:
      return 0;
    case ENOENT:
      return kFileNotFound;
    case ENOTDIR:
    case ELOOP:
      return kPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
      return kAccessDenied;
    case ENOMEM:
      return 8;  // not enough memory
    case EXDEV:
      return 17;  // not the same device
    case EROFS:
      return 19;  // write protected
    case EBUSY:
    case ETXTBSY:
      return 32;  // in use by another program
    case EINVAL:
      return kInvalidParameter;
    case ENOSPC:
    case EDQUOT:
      return 112;  // disk full
    case EEXIST:
      return kAlreadyExists;
    case ENOTEMPTY:
      return 145;  // folder not empty
    case ENAMETOOLONG:
      return 206;  // name too long
    case EFBIG:
      return 0x85;  // too large for the destination
    case EIO:
      return 1117;  // device I/O error
    default:
      return 0x402;  // the shell's unknown error
  }
}

namespace {

// The folders of one copy: those being copied on the way down and those made for them. A
// folder met again (a bind mount that shows a folder above it, or the copy itself) would copy
// without end.
using FolderChain = std::vector<std::pair<dev_t, ino_t>>;

int CopyTree(SysCalls& sys, const std::string& from, const std::string& to, FolderChain& chain) {
  struct stat st {};
  if (sys.Lstat(from.c_str(), &st) != 0) return errno;
  if (S_ISLNK(st.st_mode)) {
    std::error_code ec;
    const auto target = std::filesystem::read_symlink(from, ec);
    if (ec) return ec.value();
    return ::symlink(target.c_str(), to.c_str()) == 0 ? 0 : errno;
  }
  if (S_ISREG(st.st_mode)) return CopyData(sys, from, to, st);
  if (!S_ISDIR(st.st_mode)) return EACCES;  // a device or pipe: nothing a copy could hold
  if (std::find(chain.begin(), chain.end(), std::pair(st.st_dev, st.st_ino)) != chain.end()) {
    return ELOOP;
  }
  // Open for the owner while it fills, then the permissions of the original.
  if (::mkdir(to.c_str(), 0700) != 0) return errno;
  struct stat made {};
  const size_t depth = chain.size();
  chain.emplace_back(st.st_dev, st.st_ino);
  if (sys.Lstat(to.c_str(), &made) == 0) chain.emplace_back(made.st_dev, made.st_ino);
  std::vector<std::string> names;
  int error = FolderNames(sys, from, names);
  for (size_t i = 0; error == 0 && i < names.size(); ++i) {
    error = CopyTree(sys, Join(from, names[i]), Join(to, names[i]), chain);
  }
  chain.resize(depth);
  if (error != 0) {
    // No part of a folder that could not be copied whole stays.
    std::error_code ignored;
    std::filesystem::remove_all(to, ignored);
    return error;
  }
  const timespec times[2] = {st.st_atim, st.st_mtim};
  (void)::utimensat(AT_FDCWD, to.c_str(), times, 0);
  (void)::chmod(to.c_str(), st.st_mode & 07777);
  return 0;
}

}  // namespace

int CopyNew(SysCalls& sys, const std::string& from, const std::string& to) {
  FolderChain chain;
  return CopyTree(sys, from, to, chain);
}

int CheckRemovable(SysCalls& sys, const std::string& path, bool whole_tree) {
  struct stat st {};
  if (sys.Lstat(path.c_str(), &st) != 0) return errno;
  if (::access(SplitFsPath(path).folder.c_str(), W_OK | X_OK) != 0) return errno;
  if (S_ISLNK(st.st_mode)) return 0;  // the link goes, not what it points to
  std::unique_ptr<char, decltype(&std::free)> real(sys.RealPath(path.c_str()), &std::free);
  if (real && MountedAtOrBelow(real.get())) return EBUSY;
  if (!S_ISDIR(st.st_mode)) return 0;
  if (whole_tree && ::access(path.c_str(), W_OK | X_OK) != 0) return errno;
  return CheckTree(sys, path, st.st_dev, whole_tree);
}

}  // namespace posix

ShellFileResult PosixPlatform::FileOperation(const ShellFileOperation& operation,
                                             FileQuestions& questions) {
  return ShellOperation(*sys_, operation, questions).Run();
}

int32_t PosixPlatform::MakeDirectory(std::u16string_view path) {
  if (path.empty()) return kPathNotFound;
  const auto fs = posix::FsPath(path);
  if (!fs) return kInvalidName;
  if (::mkdir(fs->c_str(), 0777) == 0) return 0;
  return errno == ENOENT ? kPathNotFound : posix::ShellCodeForFileErrno(errno);
}

int32_t PosixPlatform::ChangeDirectory(std::u16string_view path) {
  const auto fs = posix::FsPath(path);
  if (!fs) return kInvalidName;
  if (::chdir(fs->c_str()) == 0) return 0;
  const int error = errno;
  struct stat st {};
  // A file of that name: not a folder name (the last part only; a file in the middle of the
  // path makes the path not found).
  if (error == ENOTDIR && sys_->Stat(fs->c_str(), &st) == 0) return kDirectoryName;
  return CodeOf(*sys_, error, WithoutTrailingSlash(*fs));
}

int32_t PosixPlatform::ChangeDrive(char16_t) {
  return kNotSupported;  // POSIX file systems have one root and no drive letters
}

}  // namespace qrx
