// The Win32 platform: text, clock and process services. Files are in win32_files.cpp, the
// profile calls in win32_profile.cpp.
#include "platform/win32/win32_api.h"
// (the API header first, so that its macros are gone before the interface is read)
#include <mmsystem.h>

#include <climits>
#include <string>

#include "platform/win32/win32_ansi.h"
#include "platform/win32/win32_platform.h"

namespace qrx {

namespace {

// wchar_t and char16_t are both UTF-16 on Windows.
std::wstring WideOf(std::u16string_view text) {
  return {text.begin(), text.end()};
}
std::u16string TextOf(std::wstring_view text) {
  return {text.begin(), text.end()};
}

}  // namespace

Win32Platform::Win32Platform() = default;

std::string Win32Platform::ToAnsi(std::u16string_view text) const {
  if (text.empty() || text.size() > INT_MAX) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  // Without WC_NO_BEST_FIT_CHARS Windows would turn, say, 'é' into 'e'; the program wants
  // every character the code page cannot hold to become '?'.
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  // A string, not a lone char: for a double-byte code page the API may read two bytes.
  const char* fallback = "?";
  int size = WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, fallback, nullptr);
  if (size == 0) {
    // Code pages such as UTF-8 take neither option.
    flags = 0;
    fallback = nullptr;
    size = WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, nullptr);
    if (size == 0) return {};
  }
  std::string out(static_cast<size_t>(size), '\0');
  size = WideCharToMultiByte(CP_ACP, flags, wide, length, out.data(), size, fallback, nullptr);
  out.resize(static_cast<size_t>(size));
  return out;
}

std::u16string Win32Platform::FromAnsi(std::string_view bytes) const {
  if (bytes.empty() || bytes.size() > INT_MAX) return {};
  const int length = static_cast<int>(bytes.size());
  int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  if (size == 0) return {};
  std::u16string out(static_cast<size_t>(size), u'\0');
  size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length,
                             reinterpret_cast<wchar_t*>(out.data()), size);
  out.resize(static_cast<size_t>(size));
  return out;
}

uint32_t Win32Platform::TickCount() {
  return timeGetTime();
}

LocalTime Win32Platform::Now() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

int64_t Win32Platform::UnixTime() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  constexpr uint64_t kTicksTo1970 = 116444736000000000ULL;  // 100 ns units since 1601
  return static_cast<int64_t>((ticks - kTicksTo1970) / 10000000ULL);
}

std::optional<std::u16string> Win32Platform::GetEnv(std::u16string_view name) {
  const auto ansi = win32::AnsiZ(*this, name);
  if (!ansi || ansi->empty()) return std::nullopt;
  // The lookup is GetEnvironmentVariableA's, done by hand: Wine's ...A form reports sizes in
  // UTF-16 units and cuts a value with double-byte characters short. The name and value
  // pass through the ANSI code page just as that call would pass them, and the value is cut
  // at its first NUL, as the program has always read it.
  const std::wstring wide_name = WideOf(FromAnsi(*ansi));
  DWORD size = GetEnvironmentVariableW(wide_name.c_str(), nullptr, 0);
  for (;;) {
    if (size == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::u16string();
    }
    std::wstring value(size, L'\0');
    const DWORD got = GetEnvironmentVariableW(wide_name.c_str(), value.data(), size);
    if (got == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::u16string();
    }
    // Another thread may have made the value longer in between: the call then reports the
    // size it needs now.
    if (got >= size) {
      size = got;
      continue;
    }
    value.resize(got);
    return FromAnsi(win32::TrimAtNul(ToAnsi(TextOf(value))));
  }
}

std::u16string Win32Platform::ProgramDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    // A full buffer may hold a cut path: only a shorter result is known to be whole.
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  std::u16string folder = TextOf(std::wstring_view(path).substr(0, slash));
  // "C:" alone would mean the current folder of drive C, not its root.
  if (folder.size() == 2 && folder[1] == u':') folder += u'\\';
  return folder;
}

std::u16string Win32Platform::CurrentDirectory() {
  DWORD size = GetCurrentDirectoryA(0, nullptr);
  while (size != 0) {
    std::string path(size, '\0');
    const DWORD got = GetCurrentDirectoryA(size, path.data());
    if (got < size) return FromAnsi(path.substr(0, got));
    size = got;
  }
  return {};
}

bool Win32Platform::SetCurrentDirectory(std::u16string_view path) {
  const auto ansi = win32::AnsiZ(*this, path);
  return ansi && SetCurrentDirectoryA(ansi->c_str()) != FALSE;
}

namespace {

// Reads a folder from GetWindowsDirectoryA or GetSystemDirectoryA, which report the size they
// need (with the NUL) when the buffer is short and the length they wrote otherwise.
template <typename Api>
std::string ReadSystemFolder(Api api) {
  UINT size = MAX_PATH;
  for (;;) {
    std::string path(size, '\0');
    const UINT got = api(path.data(), size);
    if (got == 0) return {};
    if (got < size) return path.substr(0, got);
    size = got;
  }
}

}  // namespace

std::u16string Win32Platform::WindowsDirectory() {
  return FromAnsi(ReadSystemFolder(GetWindowsDirectoryA));
}

std::u16string Win32Platform::SystemDirectory() {
  return FromAnsi(ReadSystemFolder(GetSystemDirectoryA));
}

int32_t Win32Platform::WindowsMajorVersion() {
  // The plain 148-byte form; without a manifest later systems say 6.2, which is enough here.
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!::GetVersionExA(&info)) return 0;
  return static_cast<int32_t>(info.dwMajorVersion);
}

}  // namespace qrx
