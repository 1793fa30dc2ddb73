// Guards against a quorix that runs without anything to show for it: a start whose window
// never appears, and an end that does not finish.
#pragma once

#include "platform/win32/win32_api.h"

#include <atomic>

#include "platform/win32/scoped_win.h"
#include "ui/win32/ui_host.h"

namespace qrx {

// Watches the start from a thread of its own until it has got past showing the main window
// and adding its tray icon (calls that can wait on another process, under Wine on the
// desktop process). When that has not happened after
// `limit_ms` (time the start spends waiting for the user in a box does not count), a box
// says so, naming the phase the start is in, and the process ends with kStartFailed: a copy
// that cannot show its window never idles unseen.
class StartWatch {
 public:
  static constexpr UINT kStartFailed = 3;

  // `host`: its boxes and whether the window has been shown.
  StartWatch(DWORD limit_ms, const Win32UiHost& host);
  ~StartWatch();  // stops watching
  StartWatch(const StartWatch&) = delete;
  StartWatch& operator=(const StartWatch&) = delete;

  // What the start is doing, for the box, in both languages: a text that lives as long as
  // the program.
  void Phase(const wchar_t* phase) { phase_.store(phase); }

 private:
  static DWORD WINAPI Run(LPVOID self);

  DWORD limit_ms_;
  const Win32UiHost& host_;
  std::atomic<const wchar_t*> phase_{L""};
  win32::ScopedHandle stop_;
  win32::ScopedHandle thread_;
};

// Ends the process with `code` after `limit_ms` unless it has ended by then: once the
// message loop is over, everything is saved, and what is left (releasing windows, OLE and
// the system's libraries) must not keep a process without windows alive.
void EndProcessAfter(DWORD limit_ms, UINT code);

}  // namespace qrx
