// The freedesktop.org trash, as the Linux desktop's file managers use it: the item goes to
// Trash/files, and Trash/info gets a .trashinfo file with its old place and the time.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/posix/posix_file_ops.h"
#include "platform/posix/posix_fs.h"
#include "platform/posix/posix_sys.h"

namespace qrx::posix {
namespace {

// The data folder of the user: $XDG_DATA_HOME when it is an absolute path (relative ones
// are ignored, as the base directory rules say), else ~/.local/share.
std::string DataHome() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.local/share";
  passwd entry{};
  passwd* found = nullptr;
  char buffer[4096];
  if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return std::string(found->pw_dir) + "/.local/share";
  }
  return {};
}

int MakeFolders(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (ec) return ec.value();
  // The trash holds what the user threw away: nobody else may look into it.
  if (::chmod(path.c_str(), 0700) != 0 && errno != EPERM) return errno;
  return 0;
}

// The path for the .trashinfo file: the absolute path, its folder resolved (the item itself
// is not, so that a link is trashed as the link it is).
std::string AbsolutePath(SysCalls& sys, const std::string& path) {
  const PathParts parts = SplitFsPath(path);
  std::unique_ptr<char, decltype(&std::free)> folder(sys.RealPath(parts.folder.c_str()),
                                                     &std::free);
  if (!folder) return {};
  const std::string base = folder.get();
  return (base == "/" ? std::string() : base) + "/" + parts.name;
}

std::string DeletionDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

// The longest name a file system takes, less ".trashinfo": the stored name and its info
// file's name go together.
constexpr size_t kLongestStoredName = 255 - 10;

// "name", then "name.2.ext", "name.3.ext", ... (the extension stays last, so the file still
// opens with its program once restored under that name). A name too long to take
// ".trashinfo" is shortened in the trash only; its info keeps the whole path.
std::string Candidate(const std::string& name, int n) {
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0 || name.size() - dot > 32) dot = name.size();
  std::string stem = name.substr(0, dot);
  const std::string tail = (n == 1 ? std::string() : "." + std::to_string(n)) + name.substr(dot);
  if (stem.size() + tail.size() > kLongestStoredName) {
    stem.resize(kLongestStoredName - tail.size());
    // Not in the middle of a UTF-8 character.
    while (!stem.empty() && (static_cast<unsigned char>(stem.back()) & 0xC0) == 0x80) {
      stem.pop_back();
    }
    if (!stem.empty() && static_cast<unsigned char>(stem.back()) >= 0xC0) stem.pop_back();
  }
  return stem + tail;
}

}  // namespace

std::string UriEscaped(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.' || c == '~' || c == '/';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string TrashFolder() {
  const std::string data = DataHome();
  return data.empty() ? std::string() : data + "/Trash";
}

int MoveToTrash(SysCalls& sys, const std::string& path) {
  struct stat item {};
  if (sys.Lstat(path.c_str(), &item) != 0) return errno;
  const std::string absolute = AbsolutePath(sys, path);
  const std::string trash = TrashFolder();
  if (absolute.empty() || trash.empty()) return ENOENT;
  if (const int error = MakeFolders(trash)) return error;
  if (const int error = MakeFolders(trash + "/files")) return error;
  if (const int error = MakeFolders(trash + "/info")) return error;

  const std::string name = SplitFsPath(absolute).name;
  const std::string info =
      "[Trash Info]\nPath=" + UriEscaped(absolute) + "\nDeletionDate=" + DeletionDate() + "\n";
  for (int n = 1; n < 10000; ++n) {
    const std::string stored = Candidate(name, n);
    const std::string info_path = trash + "/info/" + stored + ".trashinfo";
    const std::string file_path = trash + "/files/" + stored;
    // The info file is made first, with O_EXCL: it reserves the name against other programs
    // that trash at the same time.
    UniqueFd fd(sys.Open(info_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600), &sys);
    if (!fd) {
      if (errno == EEXIST) continue;
      return errno;
    }
    struct stat taken {};
    if (sys.Lstat(file_path.c_str(), &taken) == 0) {
      fd.Reset();
      sys.Unlink(info_path.c_str());
      continue;
    }
    if (!WriteAll(sys, fd.Get(), info) || !fd.Close()) {
      const int error = errno != 0 ? errno : EIO;
      sys.Unlink(info_path.c_str());
      return error;
    }
    int error = 0;
    if (sys.Rename(path.c_str(), file_path.c_str()) != 0) {
      error = errno;
      if (error == EXDEV) {
        // Another file system: a copy in the home trash, then the original goes; nothing is
        // copied of an original that could not go.
        error = CheckRemovable(sys, path, true);
        if (error == 0) error = CopyNew(sys, path, file_path);
        if (error == 0) {
          std::error_code ec;
          std::filesystem::remove_all(path, ec);
          error = ec.value();
          // What could not be removed stays, and so does the complete copy in the trash.
          if (error != 0) return error;
        }
      }
    }
    if (error != 0) sys.Unlink(info_path.c_str());
    return error;
  }
  return EEXIST;
}

}  // namespace qrx::posix
