// Key state, the focused control of the foreground program, set-text, and the end of the
// Windows session.
#include "platform/win32/win32_api.h"

#include <cwchar>

#include "platform/win32/scoped_win.h"
#include "platform/win32/win32_platform.h"

namespace qrx {
namespace {

// This thread's input joined to another thread's for as long as it lives, so that the other
// thread's focus can be read.
class InputAttachment {
 public:
  InputAttachment(DWORD self, DWORD other)
      : self_(self),
        other_(other),
        attached_(other != 0 && other != self && ::AttachThreadInput(self, other, TRUE)) {}
  ~InputAttachment() {
    if (attached_) ::AttachThreadInput(self_, other_, FALSE);
  }
  InputAttachment(const InputAttachment&) = delete;
  InputAttachment& operator=(const InputAttachment&) = delete;

 private:
  DWORD self_;
  DWORD other_;
  bool attached_;
};

// Test runs set QRX_SESSION_END=off, so that no test can end a real session.
bool SessionEndSwitchedOff() {
  wchar_t value[8] = {};
  const DWORD n = ::GetEnvironmentVariableW(L"QRX_SESSION_END", value, 8);
  return n > 0 && n < 8 && std::wcscmp(value, L"off") == 0;
}

}  // namespace

int16_t Win32Platform::AsyncKeyState(int32_t virtual_key) {
  return static_cast<int16_t>(::GetAsyncKeyState(virtual_key));
}

intptr_t Win32Platform::ForegroundFocus() {
  const DWORD other = ::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr);
  // When the attachment fails (or the foreground is this thread), this thread's own focus.
  const InputAttachment attachment(::GetCurrentThreadId(), other);
  return reinterpret_cast<intptr_t>(::GetFocus());
}

void Win32Platform::SendSetText(intptr_t window, std::u16string_view text) {
  const std::string ansi = ToAnsi(text);
  DWORD_PTR result = 0;
  // A program that hangs must not hang the launcher with it.
  ::SendMessageTimeoutA(reinterpret_cast<HWND>(window), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(ansi.c_str()), SMTO_ABORTIFHUNG, 5000, &result);
}

bool Win32Platform::EndSession(uint32_t flags) {
  if (SessionEndSwitchedOff()) return false;
  HANDLE raw = nullptr;
  if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) {
    const win32::ScopedHandle token(raw);
    TOKEN_PRIVILEGES wanted{};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &wanted.Privileges[0].Luid)) {
      TOKEN_PRIVILEGES previous{};
      DWORD previous_size = 0;
      // Without the privilege Windows refuses the exit by itself; nothing to check here.
      ::AdjustTokenPrivileges(token.Get(), FALSE, &wanted, sizeof(previous), &previous,
                              &previous_size);
    }
  }
  return ::ExitWindowsEx(flags, 0) != FALSE;
}

}  // namespace qrx
