// The Win32 platform: directory search, existence, whole-file reads, writes and appends, the
// search path.
#include "platform/win32/win32_api.h"
// (the API header first, so that its macros are gone before the interface is read)

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "platform/win32/scoped_win.h"
#include "platform/win32/win32_ansi.h"
#include "platform/win32/win32_platform.h"

namespace qrx {

namespace {

// The search-path buffer: a path that does not fit, with its closing NUL, is not found.
constexpr DWORD kSearchPathBuffer = 255;

constexpr DWORD kNotOrdinary =
    FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Deletes a temporary file unless it was renamed into place.
class TempFileGuard {
 public:
  explicit TempFileGuard(std::string path) : path_(std::move(path)) {}
  TempFileGuard(const TempFileGuard&) = delete;
  TempFileGuard& operator=(const TempFileGuard&) = delete;
  ~TempFileGuard() {
    if (!path_.empty()) DeleteFileA(path_.c_str());
  }
  const std::string& path() const { return path_; }
  void Keep() { path_.clear(); }

 private:
  std::string path_;
};

// The folder part of an ANSI path for GetTempFileNameA: "." when there is none, the root
// when the path is "\name", and "C:" stays as it is (the current folder of drive C).
std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    return ".";
  }
  if (slash == 0) return path.substr(0, 1);
  // "C:\name": keep the backslash, or "C:" would name the current folder of drive C.
  if (slash == 2 && path[1] == ':') return path.substr(0, 3);
  return path.substr(0, slash);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

std::optional<std::u16string> Win32Platform::FindFirstFile(std::u16string_view pattern) {
  const auto ansi = win32::AnsiZ(*this, pattern);
  if (!ansi) return std::nullopt;
  WIN32_FIND_DATAA entry{};
  const win32::ScopedFindHandle search(FindFirstFileA(ansi->c_str(), &entry));
  if (!search) return std::nullopt;
  do {
    if ((entry.dwFileAttributes & kNotOrdinary) == 0) {
      return FromAnsi(win32::TrimAtNul({entry.cFileName, sizeof entry.cFileName}));
    }
  } while (FindNextFileA(search.Get(), &entry));
  return std::nullopt;
}

bool Win32Platform::FileExists(std::u16string_view path) {
  const auto ansi = win32::AnsiZ(*this, path);
  // Wildcards are no part of a name (the attribute call would refuse them anyway).
  if (!ansi || ansi->empty() || ansi->find_first_of("*?") != std::string::npos) return false;
  // The attributes, unlike a directory search, show hidden and system files too.
  const DWORD attributes = GetFileAttributesA(ansi->c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  // Only a name the system reports as missing is missing; a file it cannot look at now (in
  // use, or behind a folder without access) may well be the user's.
  const DWORD error = GetLastError();
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
         error == ERROR_LOCK_VIOLATION;
}

std::optional<std::string> Win32Platform::ReadFile(std::u16string_view path) {
  const auto ansi = win32::AnsiZ(*this, path);
  if (!ansi) return std::nullopt;
  const win32::ScopedHandle file(CreateFileA(ansi->c_str(), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  std::string bytes;
  if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 && size.QuadPart < INT_MAX) {
    bytes.reserve(static_cast<size_t>(size.QuadPart));
  }
  char buffer[64 * 1024];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr)) return std::nullopt;
    if (got == 0) return bytes;
    bytes.append(buffer, got);
  }
}

std::optional<FileStamp> Win32Platform::StampOf(std::u16string_view path) {
  const auto ansi = win32::AnsiZ(*this, path);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!ansi || !GetFileAttributesExA(ansi->c_str(), GetFileExInfoStandard, &data)) {
    return std::nullopt;
  }
  const auto join = [](DWORD high, DWORD low) {
    return static_cast<int64_t>((static_cast<uint64_t>(high) << 32) | low);
  };
  return FileStamp{join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime),
                   join(data.nFileSizeHigh, data.nFileSizeLow)};
}

bool Win32Platform::WriteFile(std::u16string_view path, std::string_view bytes) {
  const auto target = win32::AnsiZ(*this, path);
  if (!target || target->empty()) return false;
  // A reader sees the old file or the new one, never a mix: the bytes go to a temporary
  // file in the same folder (so the rename stays on one volume), which then replaces the
  // target in one step.
  char temp_path[MAX_PATH] = {};
  if (!GetTempFileNameA(FolderOf(*target).c_str(), "qrx", 0, temp_path)) return false;
  TempFileGuard temp(temp_path);
  win32::ScopedHandle file(CreateFileA(temp.path().c_str(), GENERIC_WRITE, 0, nullptr,
                                       TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !WriteAll(file.Get(), bytes) || !FlushFileBuffers(file.Get()) || !file.Close()) {
    return false;
  }
  if (!MoveFileExA(temp.path().c_str(), target->c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return false;
  }
  temp.Keep();
  return true;
}

bool Win32Platform::AppendFile(std::u16string_view path, std::string_view bytes) {
  const auto ansi = win32::AnsiZ(*this, path);
  if (!ansi || ansi->empty()) return false;
  // Append access alone makes every write land at the end, even with other writers.
  win32::ScopedHandle file(CreateFileA(ansi->c_str(), FILE_APPEND_DATA,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || GetFileType(file.Get()) != FILE_TYPE_DISK) return false;
  return WriteAll(file.Get(), bytes) && file.Close();
}

bool Win32Platform::CopyFile(std::u16string_view from, std::u16string_view to) {
  const auto source = win32::AnsiZ(*this, from);
  const auto target = win32::AnsiZ(*this, to);
  return source && target && CopyFileA(source->c_str(), target->c_str(), FALSE) != FALSE;
}

std::u16string Win32Platform::SearchPath(std::u16string_view name) {
  const auto ansi = win32::AnsiZ(*this, name);
  if (!ansi) return {};
  char buffer[kSearchPathBuffer] = {};
  const DWORD length =
      SearchPathA(nullptr, ansi->c_str(), nullptr, kSearchPathBuffer, buffer, nullptr);
  // 0: not found; kSearchPathBuffer or more: the size a longer path would need.
  if (length == 0 || length >= kSearchPathBuffer) return {};
  return FromAnsi(win32::TrimAtNul({buffer, kSearchPathBuffer}));
}

}  // namespace qrx
