// A stand-in for QS_DLL1.DLL that records every call: one line per call,
// "<window given?>\t<time>\t<text>", appended to the file named by QRX_ANSWER_RECORD. With
// QRX_ANSWER_REWRITE set it upper-cases the ASCII letters of the text in place, as a
// library may rewrite the answer.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" __declspec(dllexport) int32_t WINAPI fncAns(HWND window, char* text, int32_t time) {
  if (const char* record = std::getenv("QRX_ANSWER_RECORD")) {
    if (FILE* f = std::fopen(record, "ab")) {
      std::fprintf(f, "%s\t%ld\t%s\n", window != nullptr ? "window" : "no-window",
                   static_cast<long>(time), text);
      std::fclose(f);
    }
  }
  if (std::getenv("QRX_ANSWER_REWRITE") != nullptr) {
    for (char* p = text; *p != '\0'; ++p) {
      if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
    }
  }
  return 0;
}
