// quorix.exe: the launcher. One main window (plain, or skinned with its balloon), the popup
// boxes, the start-up, the message loop; the process ends when the loop does.
#include "platform/win32/win32_api.h"

#include <exception>
#include <string>

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

int Run(HINSTANCE instance) {
  // Drag and drop of text needs OLE on this thread; without it only file drops arrive.
  const qrx::win32::ScopedOle ole;
  auto os = qrx::CreateOsPlatform();
  qrx::Win32UiHost host;
  qrx::PlainWindow surface(instance, host);
  if (!surface.created()) return 1;
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
  try {
    qrx::StartUp(ctx, CommandLineArgument(), &skins);
  } catch (const qrx::AppEnding&) {
    return 0;  // the start-up alias ended the program
  }
  host.RunMessageLoop();
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
