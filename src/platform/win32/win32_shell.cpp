// Appending to files, opening programs and documents, and the archive library on Windows.
#include "platform/win32/win32_api.h"
// (the API header first, so that its macros are gone before the interface is read)

#include <shellapi.h>
// The method of the platform interface keeps its name; the API is called as ShellExecuteA.
#undef ShellExecute

#include <algorithm>
#include <vector>

#include "platform/win32/win32_ansi.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_platform.h"

namespace qrx {
namespace {

// The shell's "file not found", for names it could not even be given.
constexpr int32_t kFileNotFound = 2;
// What the archive library answers to a command it cannot take.
constexpr int32_t kArchiveBadCommand = 32796;
constexpr DWORD kArchiveOutputSize = 1024;

// int WINAPI Unlha(HWND owner, LPCSTR command_line, LPSTR output, DWORD output_size)
using UnlhaEntry = int(WINAPI*)(HWND, LPCSTR, LPSTR, DWORD);

// A loaded library, freed when it goes out of use.
class Module {
 public:
  explicit Module(HMODULE m) : m_(m) {}
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;
  ~Module() {
    if (m_ != nullptr) FreeLibrary(m_);
  }
  HMODULE Get() const { return m_; }

 private:
  HMODULE m_;
};

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

// Empty texts go to the shell as "none given".
const char* OrNull(const std::string& text) {
  return text.empty() ? nullptr : text.c_str();
}

}  // namespace

bool Win32Platform::AppendFile(std::u16string_view path, std::string_view bytes) {
  const auto ansi = win32::AnsiZ(*this, path);
  if (!ansi || ansi->empty()) return false;
  // Append access alone makes every write land at the end, even with other writers.
  win32::FileHandle file(CreateFileA(ansi->c_str(), FILE_APPEND_DATA,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || GetFileType(file.Get()) != FILE_TYPE_DISK) return false;
  return WriteAll(file.Get(), bytes) && file.Close();
}

int32_t Win32Platform::ShellExecute(intptr_t owner, std::u16string_view operation,
                                    std::u16string_view file, std::u16string_view parameters,
                                    std::u16string_view directory, int32_t show) {
  const auto op = win32::AnsiZ(*this, operation);
  const auto name = win32::AnsiZ(*this, file);
  const auto params = win32::AnsiZ(*this, parameters);
  const auto dir = win32::AnsiZ(*this, directory);
  // A NUL would hand the shell a shorter, different name.
  if (!op || !name || !params || !dir) return kFileNotFound;
  const HINSTANCE result = ShellExecuteA(reinterpret_cast<HWND>(owner), OrNull(*op), name->c_str(),
                                         OrNull(*params), OrNull(*dir), show);
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(result));
}

std::optional<int32_t> Win32Platform::RunArchiver(intptr_t owner,
                                                  std::u16string_view command_line) {
  const std::u16string path = SearchPath(u"UNLHA32.DLL");
  if (path.empty()) return std::nullopt;
  const auto path_ansi = win32::AnsiZ(*this, path);
  if (!path_ansi) return std::nullopt;
  const Module library(LoadLibraryA(path_ansi->c_str()));
  if (library.Get() == nullptr) return std::nullopt;
  const auto entry =
      reinterpret_cast<UnlhaEntry>(reinterpret_cast<void*>(GetProcAddress(library.Get(), "Unlha")));
  if (entry == nullptr) return std::nullopt;
  const auto command = win32::AnsiZ(*this, command_line);
  // A NUL would cut the command short, so that the library would do something else.
  if (!command) return kArchiveBadCommand;
  std::vector<char> output(kArchiveOutputSize, '\0');
  return static_cast<int32_t>(
      entry(reinterpret_cast<HWND>(owner), command->c_str(), output.data(), kArchiveOutputSize));
}

}  // namespace qrx
