// The shell's file operations, the properties sheet and the directory commands on Windows.
#include "platform/win32/win32_api.h"
// (the API header first, so that its macros are gone before the interface is read)

#include <shellapi.h>

#include "platform/win32/win32_ansi.h"
#include "platform/win32/win32_platform.h"

namespace qrx {
namespace {

constexpr int32_t kInvalidDrive = 15;
constexpr int32_t kInvalidName = 123;

// The shell's name lists arrive ending in two NULs; anything else would let the shell read
// past the text.
bool IsNameList(std::u16string_view list) {
  return list.size() >= 2 && list[list.size() - 1] == u'\0' && list[list.size() - 2] == u'\0';
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
  const std::string from = ToAnsi(operation.from);
  const std::string to = ToAnsi(operation.to);
  SHFILEOPSTRUCTA record{};
  record.hwnd = reinterpret_cast<HWND>(operation.owner);
  record.wFunc = operation.function;
  record.pFrom = from.c_str();
  record.pTo = operation.to.empty() ? nullptr : to.c_str();
  record.fFlags = operation.flags;
  record.fAnyOperationsAborted = FALSE;
  record.hNameMappings = nullptr;
  record.lpszProgressTitle = nullptr;
  const int code = SHFileOperationA(&record);
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
