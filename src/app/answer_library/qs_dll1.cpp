// QS_DLL1.DLL, the answer library that quorix hands its answers to when the configuration
// says ANS-WINDOW=DLL. This one keeps a journal of every answer (QS_ANS.LOG beside the
// library, in the ANSI code page) and shows each answer in a small box at the bottom right
// of the screen for the answer's display time, so that answers stay readable while the main
// window is hidden or minimised.
#include "platform/win32/scoped_win.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

constexpr wchar_t kClass[] = L"QuorixAnswerBox";
constexpr UINT_PTR kCloseTimer = 1;
HINSTANCE g_module = nullptr;  // the library's own handle, set once when it is loaded
HWND g_box = nullptr;          // the box now on the screen, if any

std::string JournalPath() {
  char path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(g_module, path, MAX_PATH);
  std::string p(path, n);
  const size_t cut = p.find_last_of('\\');
  return (cut == std::string::npos ? std::string() : p.substr(0, cut + 1)) + "QS_ANS.LOG";
}

void Journal(const char* text, int32_t time) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  if (FILE* f = std::fopen(JournalPath().c_str(), "ab")) {
    std::fprintf(f, "%04u/%02u/%02u %02u:%02u:%02u\t%ld\t%s\r\n", now.wYear, now.wMonth, now.wDay,
                 now.wHour, now.wMinute, now.wSecond, static_cast<long>(time), text);
    std::fclose(f);
  }
}

LRESULT CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
    case WM_LBUTTONDBLCLK:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      if (g_box == hwnd) g_box = nullptr;
      return 0;
    case WM_PAINT: {
      const qrx::win32::ScopedPaint paint(hwnd);
      const HDC dc = paint.Get();
      RECT r;
      GetClientRect(hwnd, &r);
      FillRect(dc, &r, GetSysColorBrush(COLOR_INFOBK));
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
      char text[1024] = {};
      GetWindowTextA(hwnd, text, sizeof text);
      InflateRect(&r, -8, -6);
      DrawTextA(dc, text, -1, &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
      return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void CloseBox() {
  if (g_box != nullptr) DestroyWindow(g_box);
  g_box = nullptr;
}

void ShowBox(HWND owner, const char* text, int32_t time) {
  CloseBox();
  if (time == -2 || text[0] == '\0') return;  // the clearing answer only closes the box
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc = {};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = BoxProc;
    wc.hInstance = g_module;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = kClass;
    registered = RegisterClassW(&wc) != 0;
  }
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = 320, height = 64;
  g_box = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClass, L"",
                          WS_POPUP | WS_BORDER, work.right - width - 8, work.bottom - height - 8,
                          width, height, owner, nullptr, g_module, nullptr);
  if (g_box == nullptr) return;
  SetWindowTextA(g_box, text);
  ShowWindow(g_box, SW_SHOWNOACTIVATE);
  UpdateWindow(g_box);
  // A negative time keeps the box until the next answer.
  if (time >= 0)
    SetTimer(g_box, kCloseTimer, time == 0 ? 1 : static_cast<UINT>(time) * 1000, nullptr);
}

}  // namespace

extern "C" __declspec(dllexport) int32_t WINAPI fncAns(HWND window, char* text, int32_t time) {
  if (text == nullptr) return 0;
  Journal(text, time);
  ShowBox(window, text, time);
  return 0;
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = module;
    DisableThreadLibraryCalls(module);
  }
  return TRUE;
}
