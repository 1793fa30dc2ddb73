// Holds a global hot key, as another program on the desktop would, so that a test can see
// what quorix does when it cannot have it.
//
// usage: hotkey_holder MODIFIERS KEY
//   registers MODIFIERS (Alt 1, Ctrl 2, Shift 4, Win 8) + KEY (a virtual-key code) for no
//   window, prints "held" (or "refused ERROR" and exits 1), and keeps it until standard input
//   ends.
#include <cstdio>
#include <cstdlib>

#include <windows.h>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: hotkey_holder MODIFIERS KEY\n", stderr);
    return 2;
  }
  if (!RegisterHotKey(nullptr, 1, static_cast<UINT>(std::strtoul(argv[1], nullptr, 10)),
                      static_cast<UINT>(std::strtoul(argv[2], nullptr, 10)))) {
    std::printf("refused %lu\n", GetLastError());
    return 1;
  }
  std::puts("held");
  std::fflush(stdout);
  char buffer[64];
  DWORD got = 0;
  while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr) && got > 0) {
  }
  UnregisterHotKey(nullptr, 1);
  return 0;
}
