// Holds a global hot key, as another program on the desktop would, so that a test can see
// what quorix does when it cannot have it.
//
// usage: hotkey_holder MODIFIERS KEY SECONDS
//   registers MODIFIERS (Alt 1, Ctrl 2, Shift 4, Win 8) + KEY (a virtual-key code) for no
//   window, prints "held" (or "refused ERROR" and exits 1), then keeps it for SECONDS or
//   until standard input ends, whichever comes first.
#include <cstdio>
#include <cstdlib>

#ifndef _WIN32

int main() {
  std::fputs("hotkey_holder: not on Windows\n", stderr);
  return 77;
}

#else

// <windows.h> must come before the headers that build on it.
#include <windows.h>

namespace {

// Ends the wait when standard input ends (the test closes it when it is done).
DWORD WINAPI WatchInput(void* done_event) {
  char buffer[64];
  DWORD got = 0;
  const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
  while (::ReadFile(input, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
  }
  ::SetEvent(static_cast<HANDLE>(done_event));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: hotkey_holder MODIFIERS KEY SECONDS\n", stderr);
    return 2;
  }
  const UINT modifiers = static_cast<UINT>(std::strtoul(argv[1], nullptr, 10));
  const UINT key = static_cast<UINT>(std::strtoul(argv[2], nullptr, 10));
  const DWORD seconds = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10));
  if (!::RegisterHotKey(nullptr, 1, modifiers, key)) {
    std::printf("refused %lu\n", ::GetLastError());
    return 1;
  }
  std::puts("held");
  std::fflush(stdout);
  const HANDLE done = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const HANDLE watcher = ::CreateThread(nullptr, 0, WatchInput, done, 0, nullptr);
  ::WaitForSingleObject(done, seconds * 1000);
  ::UnregisterHotKey(nullptr, 1);
  if (watcher != nullptr) ::CloseHandle(watcher);
  ::CloseHandle(done);
  return 0;
}

#endif
