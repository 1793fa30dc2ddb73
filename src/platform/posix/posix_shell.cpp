// Opening programs and documents, and the archive program on POSIX.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "base/text.h"
#include "platform/posix/posix_fs.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/posix_process.h"
#include "platform/posix/windows_args.h"

namespace qrx {
namespace {

// The shell's answers: above 32 is success, the rest are its error codes.
constexpr int32_t kStarted = 42;
constexpr int32_t kOutOfResources = 0;
constexpr int32_t kFileNotFound = 2;
constexpr int32_t kPathNotFound = 3;
constexpr int32_t kAccessDenied = 5;
constexpr int32_t kOutOfMemory = 8;
constexpr int32_t kBadFormat = 11;
constexpr int32_t kNoAssociation = 31;

// What the archive library answers to a command it cannot take.
constexpr int32_t kArchiveBadCommand = 32796;

int32_t ShellCodeForErrno(int error) {
  switch (error) {
    case 0:
      return kStarted;
    case ENOENT:
      return kFileNotFound;
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
      return kPathNotFound;
    case EACCES:
    case EPERM:
    case ETXTBSY:
      return kAccessDenied;
    case ENOMEM:
    case EAGAIN:
      return kOutOfMemory;
    case ENOEXEC:
      return kBadFormat;
    default:
      return kOutOfResources;
  }
}

bool IsDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// "scheme:..." with a scheme of two or more letters: an address for the desktop's opener.
bool IsAddress(std::string_view text) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon < 2) return false;
  for (size_t i = 0; i < colon; ++i) {
    const char c = text[i];
    const bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!alpha && !(i > 0 && other)) return false;
  }
  return true;
}

std::string Absolute(const std::string& path) {
  if (path.starts_with('/')) return path;
  char buffer[4096];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return path;
  return std::string(buffer) + "/" + path;
}

// Why a path cannot be used: its folder is missing (path not found) or only the name is.
int32_t MissingPathCode(const std::string& absolute) {
  struct stat st {};
  if (::stat(absolute.c_str(), &st) == 0) return kAccessDenied;
  if (errno != ENOENT) return ShellCodeForErrno(errno);
  return IsDirectory(posix::SplitFsPath(absolute).folder) ? kFileNotFound : kPathNotFound;
}

int32_t OpenWithDesktop(const std::string& target, const std::string& folder) {
  const std::string opener = posix::FindExecutableOnPath("xdg-open");
  if (opener.empty()) return kNoAssociation;
  return ShellCodeForErrno(posix::StartDetached({.argv = {opener, target}, .folder = folder}));
}

std::optional<std::vector<std::string>> ArgumentsOf(std::u16string_view text) {
  if (text.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  std::vector<std::string> args;
  for (const std::u16string& a : posix::SplitWindowsArguments(text)) {
    args.push_back(Utf16ToUtf8(a));
  }
  return args;
}

}  // namespace

int32_t PosixPlatform::ShellExecute(intptr_t, std::u16string_view, std::u16string_view file,
                                    std::u16string_view parameters, std::u16string_view directory,
                                    int32_t) {
  // The Windows shell takes a file name in double quotes as the name inside them.
  std::u16string_view name = file;
  if (name.size() >= 2 && name.front() == u'"' && name.back() == u'"') {
    name = name.substr(1, name.size() - 2);
  }
  const auto target = posix::FsPath(name);
  const auto args = ArgumentsOf(parameters);
  if (!target || !args || directory.find(u'\0') != std::u16string_view::npos) {
    return kFileNotFound;
  }
  // A working folder that cannot be used refuses the launch, as the Windows shell does,
  // rather than running the program somewhere it was not meant to run.
  const std::string folder = Utf16ToUtf8(directory);
  if (!folder.empty() && !IsDirectory(folder)) return kPathNotFound;

  struct stat existing {};
  if (IsAddress(*target) && ::stat(Absolute(*target).c_str(), &existing) != 0) {
    return OpenWithDesktop(*target, folder);
  }

  std::string program;
  if (target->find('/') == std::string::npos) {
    program = posix::FindExecutableOnPath(*target);
    if (program.empty()) {
      // Not a program: a document or folder in the current folder is opened as such.
      const std::string here = Absolute(*target);
      struct stat st {};
      if (::stat(here.c_str(), &st) != 0) return kFileNotFound;
      return OpenWithDesktop(here, folder);
    }
  } else {
    program = Absolute(*target);
    struct stat st {};
    if (::stat(program.c_str(), &st) != 0) return MissingPathCode(program);
    if (!S_ISREG(st.st_mode) || ::access(program.c_str(), X_OK) != 0) {
      return OpenWithDesktop(program, folder);
    }
  }
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args->begin(), args->end());
  return ShellCodeForErrno(posix::StartDetached({.argv = std::move(argv), .folder = folder}));
}

std::optional<int32_t> PosixPlatform::RunArchiver(intptr_t, std::u16string_view command_line) {
  const std::string lha = posix::FindExecutableOnPath("lha");
  if (lha.empty()) return std::nullopt;
  const auto args = ArgumentsOf(command_line);
  // A NUL would cut the command short, so that the program would do something else.
  if (!args) return kArchiveBadCommand;
  std::vector<std::string> argv{lha};
  argv.insert(argv.end(), args->begin(), args->end());
  const std::optional<int> status = posix::RunAndWait(std::move(argv));
  if (!status) return std::nullopt;
  return *status;
}

}  // namespace qrx
