// Opening programs and documents, and the archive library on Windows.
#include "platform/win32/win32_api.h"
// (the API header first, so that its macros are gone before the interface is read)

#include <shellapi.h>
// The method of the platform interface keeps its name; the API is called as ShellExecuteA.
#undef ShellExecute

#include <algorithm>
#include <vector>

#include "platform/win32/scoped_win.h"
#include "platform/win32/win32_ansi.h"
#include "platform/win32/win32_platform.h"

namespace qrx {
namespace {

// The shell's "file not found", for names it could not even be given, and "path not found".
constexpr int32_t kFileNotFound = 2;
constexpr int32_t kPathNotFound = 3;
// What the archive library answers to a command it cannot take.
constexpr int32_t kArchiveBadCommand = 32796;
constexpr DWORD kArchiveOutputSize = 1024;

// int WINAPI Unlha(HWND owner, LPCSTR command_line, LPSTR output, DWORD output_size)
using UnlhaEntry = int(WINAPI*)(HWND, LPCSTR, LPSTR, DWORD);

// Empty texts go to the shell as "none given".
const char* OrNull(const std::string& text) {
  return text.empty() ? nullptr : text.c_str();
}

}  // namespace

int32_t Win32Platform::ShellExecute(intptr_t owner, std::u16string_view operation,
                                    std::u16string_view file, std::u16string_view parameters,
                                    std::u16string_view directory, int32_t show) {
  const auto op = win32::AnsiZ(*this, operation);
  const auto name = win32::AnsiZ(*this, file);
  const auto params = win32::AnsiZ(*this, parameters);
  const auto dir = win32::AnsiZ(*this, directory);
  // A NUL would hand the shell a shorter, different name.
  if (!op || !name || !params || !dir) return kFileNotFound;
  // A working folder that is not there refuses the launch; some shells (Wine's) would run
  // the program in another folder instead.
  if (!dir->empty()) {
    const DWORD attributes = GetFileAttributesA(dir->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      return kPathNotFound;
    }
  }
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
  const win32::ScopedModule library(LoadLibraryA(path_ansi->c_str()));
  if (!library) return std::nullopt;
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
