// quorix.exe: the launcher. One main window (plain, or skinned with its balloon), the popup
// boxes, the start-up, the message loop; the process ends when the loop does.
#include "platform/win32/win32_api.h"

#include <cwchar>
#include <exception>
#include <string>

#include "app/quorix/start_watch.h"
#include "app/startup.h"
#include "core/context.h"
#include "interpreter/dispatcher.h"
#include "platform/os_platform.h"
#include "platform/win32/scoped_win.h"
#include "ui/main_window.h"
#include "ui/popup_boxes.h"
#include "ui/skin_surfaces.h"
#include "ui/win32/balloon_window.h"
#include "ui/win32/plain_window.h"
#include "ui/win32/popup_windows.h"
#include "ui/win32/skin_window.h"
#include "ui/win32/ui_host.h"

namespace {

// The end after the message loop: saving is done; releasing what is left takes moments.
constexpr DWORD kEndLimitMs = 5000;

// The whole argument text after the program name, unsplit and with its quotes: the
// configuration file name may hold spaces.
std::u16string CommandLineArgument() {
  const wchar_t* p = ::GetCommandLineW();
  bool quoted = false;
  for (; *p != 0 && (quoted || (*p != L' ' && *p != L'\t')); ++p) {
    if (*p == L'"') quoted = !quoted;
  }
  while (*p == L' ' || *p == L'\t') ++p;
  return std::u16string(reinterpret_cast<const char16_t*>(p));
}

// How long a start may take to show its window, not counting the user's time in a box. The
// first program of a Wine prefix on a busy machine takes some 15 s; QRX_START_LIMIT_MS sets
// another limit (0: the start gives up at once, to see the report).
DWORD StartLimitMs() {
  wchar_t text[16] = {};
  const DWORD n = ::GetEnvironmentVariableW(L"QRX_START_LIMIT_MS", text, 16);
  if (n == 0 || n >= 16) return 60000;
  wchar_t* end = nullptr;
  const unsigned long ms = std::wcstoul(text, &end, 10);
  return *end == 0 ? static_cast<DWORD>(ms) : 60000;
}

int Run(HINSTANCE instance) {
  qrx::Win32UiHost host;
  qrx::StartWatch watch(StartLimitMs(), host);
  watch.Phase(L"OLE の準備 / preparing OLE");
  // Drag and drop of text needs OLE on this thread; without it only file drops arrive.
  const qrx::win32::ScopedOle ole;
  auto os = qrx::CreateOsPlatform();
  watch.Phase(L"ウィンドウを作るところ / creating the window");
  qrx::PlainWindow surface(instance, host);
  if (!surface.created()) {
    ::MessageBoxW(nullptr,
                  L"quorix のウィンドウを作れなかったので終了します。\n"
                  L"quorix could not create its window and ends.",
                  L"quorix", MB_OK | MB_ICONERROR);
    return qrx::StartWatch::kStartFailed;
  }
  qrx::Context ctx(*os, host);
  qrx::MainWindow window(ctx, surface);
  ctx.main_form = &window;
  surface.Attach(&window);
  const HWND main_window = reinterpret_cast<HWND>(surface.NativeHandle());
  host.Attach(&window, main_window);
  // The skinned layout's windows and the popup boxes come to life only when used.
  qrx::SkinWindow skin(surface);
  qrx::BalloonWindow balloon(instance, host, main_window, os->ProgramDirectory());
  balloon.Attach(&window);
  const qrx::SkinnedWindowOffer skins{window, {skin, balloon}};
  qrx::PopupWindows popup_windows(instance);
  qrx::PopupBoxes popups(popup_windows, ctx.interp.random);
  host.AttachPopups(&popups);
  watch.Phase(L"起動の処理（ウィンドウとアイコンを出すまで）/ start-up, up to the window and its icon");
  try {
    qrx::StartUp(ctx, CommandLineArgument(), &skins);
  } catch (const qrx::AppEnding&) {
    qrx::EndProcessAfter(kEndLimitMs, 0);
    return 0;  // the start-up alias ended the program
  }
  host.RunMessageLoop();
  qrx::EndProcessAfter(kEndLimitMs, 0);
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  try {
    return Run(instance);
  } catch (const std::exception& e) {
    // Start-up failed in a way no command expects: say so instead of vanishing.
    ::MessageBoxA(nullptr, e.what(), "quorix", MB_OK | MB_ICONERROR);
    return 1;
  }
}
