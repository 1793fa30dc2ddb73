// A stand-in for UNLHA32.DLL that records every call of Unlha and answers a chosen code.
//
// Each call appends one line to the file named by QRX_LHA_RECORD:
//   "<window given?>\t<size>\t<output buffer all NUL?>\t<command line>"
// QRX_LHA_RESULTS is a comma-separated list of result codes: call n (counted by the lines
// already recorded) answers entry n, or the last entry once the list is used up; 0 when
// unset.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

long CallsRecorded(const char* record) {
  long lines = 0;
  if (FILE* f = std::fopen(record, "rb")) {
    for (int c = std::fgetc(f); c != EOF; c = std::fgetc(f)) lines += c == '\n';
    std::fclose(f);
  }
  return lines;
}

int32_t ResultFor(long call) {
  const char* list = std::getenv("QRX_LHA_RESULTS");
  if (list == nullptr || *list == '\0') return 0;
  for (long i = 0; i < call; ++i) {
    const char* comma = std::strchr(list, ',');
    if (comma == nullptr) break;
    list = comma + 1;
  }
  return static_cast<int32_t>(std::strtol(list, nullptr, 10));
}

}  // namespace

extern "C" __declspec(dllexport) int WINAPI
    Unlha(HWND window, LPCSTR command_line, LPSTR output, DWORD size) {
  bool all_nul = output != nullptr;
  for (DWORD i = 0; all_nul && i < size; ++i) all_nul = output[i] == '\0';
  long call = 0;
  if (const char* record = std::getenv("QRX_LHA_RECORD")) {
    call = CallsRecorded(record);
    if (FILE* f = std::fopen(record, "ab")) {
      std::fprintf(f, "%s\t%lu\t%s\t%s\n", window != nullptr ? "window" : "no-window",
                   static_cast<unsigned long>(size), all_nul ? "nul" : "dirty",
                   command_line != nullptr ? command_line : "(null)");
      std::fclose(f);
    }
  }
  // A real library reports here; the program must not show it.
  if (output != nullptr && size > 0) std::snprintf(output, size, "double: %s", command_line);
  return ResultFor(call);
}
