// The shell's file operations, the properties sheet and the directory commands on Windows.
#include "platform/win32/win32_api.h"
// (the API header first, so that its macros are gone before the interface is read)

#include <shellapi.h>

#include <cwchar>
#include <string>

#include "platform/win32/win32_ansi.h"
#include "platform/win32/win32_platform.h"

namespace qrx {
namespace {

constexpr int32_t kInvalidDrive = 15;
constexpr int32_t kInvalidName = 123;
constexpr int32_t kIntoItself = 0x76;

// The shell's name lists arrive ending in two NULs; anything else would let the shell read
// past the text.
bool IsNameList(std::u16string_view list) {
  return list.size() >= 2 && list[list.size() - 1] == u'\0' && list[list.size() - 2] == u'\0';
}

// The full path of a name, or empty.
std::wstring FullPath(const wchar_t* name) {
  const DWORD size = GetFullPathNameW(name, 0, nullptr, nullptr);
  if (size == 0) return {};
  std::wstring path(size, L'\0');
  const DWORD got = GetFullPathNameW(name, size, path.data(), nullptr);
  path.resize(got < size ? got : 0);
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

// True when a copy or move would put a folder into itself: one source without wildcards that
// is a folder, and a destination that is that folder or lies inside it. Wine's shell answers
// such a copy with success and does nothing; Windows' shell refuses it (DE_DESTSUBTREE).
bool IntoItself(const ShellFileOperation& operation) {
  if (operation.function != fo::kCopy && operation.function != fo::kMove) return false;
  const auto* from = reinterpret_cast<const wchar_t*>(operation.from.c_str());
  const auto* to = reinterpret_cast<const wchar_t*>(operation.to.c_str());
  if (operation.to.empty() || operation.from.size() != wcslen(from) + 2 || wcspbrk(from, L"*?")) {
    return false;
  }
  const DWORD attributes = GetFileAttributesW(from);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return false;
  }
  const std::wstring source = FullPath(from);
  const std::wstring target = FullPath(to);
  if (source.empty() || target.size() < source.size() ||
      CompareStringOrdinal(source.c_str(), static_cast<int>(source.size()), target.c_str(),
                           static_cast<int>(source.size()), TRUE) != CSTR_EQUAL) {
    return false;
  }
  return target.size() == source.size() || target[source.size()] == L'\\' ||
         target[source.size()] == L'/';
}

int32_t Result(BOOL ok) {
  return ok ? 0 : static_cast<int32_t>(GetLastError());
}

}  // namespace

ShellFileResult Win32Platform::FileOperation(const ShellFileOperation& operation, FileQuestions&) {
  // The Windows shell asks its own questions, in its own dialogs.
  if (!IsNameList(operation.from) || (!operation.to.empty() && !IsNameList(operation.to))) {
    return {ERROR_INVALID_PARAMETER, false};
  }
  if (IntoItself(operation)) return {kIntoItself, false};
  // The wide call gets the names whole: through the ANSI code page a character it cannot
  // hold would become "?", a wildcard that takes other files with it.
  SHFILEOPSTRUCTW record{};
  record.hwnd = reinterpret_cast<HWND>(operation.owner);
  record.wFunc = operation.function;
  record.pFrom = reinterpret_cast<const wchar_t*>(operation.from.c_str());
  record.pTo =
      operation.to.empty() ? nullptr : reinterpret_cast<const wchar_t*>(operation.to.c_str());
  record.fFlags = operation.flags;
  // What cannot go to the recycle bin is deleted for good only after a warning, even when
  // the other questions are switched off.
  if ((operation.flags & fo::kAllowUndo) != 0) record.fFlags |= fo::kWantNukeWarning;
  record.fAnyOperationsAborted = FALSE;
  record.hNameMappings = nullptr;
  record.lpszProgressTitle = nullptr;
  const int code = SHFileOperationW(&record);
  return {code, record.fAnyOperationsAborted != FALSE};
}

bool Win32Platform::ShowProperties(intptr_t owner, std::u16string_view file) {
  const auto name = win32::AnsiZ(*this, file);
  if (!name) return false;
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  // SEE_MASK_INVOKEIDLIST, SEE_MASK_NOCLOSEPROCESS and SEE_MASK_FLAG_NO_UI.
  info.fMask = 0x44C;
  info.hwnd = reinterpret_cast<HWND>(owner);
  info.lpVerb = "properties";
  info.lpFile = name->c_str();
  info.nShow = SW_HIDE;
  const BOOL ok = ShellExecuteExA(&info);
  const win32::ScopedHandle process(info.hProcess);  // not waited for
  return ok != FALSE;
}

int32_t Win32Platform::MakeDirectory(std::u16string_view path) {
  const auto name = win32::AnsiZ(*this, path);
  if (!name) return kInvalidName;
  return Result(CreateDirectoryA(name->c_str(), nullptr));
}

int32_t Win32Platform::ChangeDirectory(std::u16string_view path) {
  const auto name = win32::AnsiZ(*this, path);
  if (!name) return kInvalidName;
  return Result(SetCurrentDirectoryA(name->c_str()));
}

int32_t Win32Platform::ChangeDrive(char16_t letter) {
  if (letter >= u'a' && letter <= u'z') letter = static_cast<char16_t>(letter - u'a' + u'A');
  if (letter < u'A' || letter > u'Z') return kInvalidDrive;
  // "X:" alone is the drive's own current folder, as the drive change of the runtime keeps it.
  const char drive[] = {static_cast<char>(letter), ':', '\0'};
  return Result(SetCurrentDirectoryA(drive));
}

}  // namespace qrx
