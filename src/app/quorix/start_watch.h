// Guards against a quorix that runs without anything to show for it: a start whose window
// never appears, and an end that does not finish.
#pragma once

#include "platform/win32/win32_api.h"

#include <atomic>
#include <functional>

namespace qrx {

// Watches the start from a thread of its own until the main window is visible. When it is
// not visible after `limit_ms` (time the start spends waiting for the user in a box does not
// count), a box says so, naming the phase the start is in, and the process ends with
// kStartFailed: a copy that cannot show its window never idles unseen.
class StartWatch {
 public:
  static constexpr UINT kStartFailed = 3;

  // `user_waits` tells whether the start now waits for the user (a box of its own is open).
  StartWatch(DWORD limit_ms, std::function<bool()> user_waits);
  ~StartWatch();  // stops watching
  StartWatch(const StartWatch&) = delete;
  StartWatch& operator=(const StartWatch&) = delete;

  // What the start is doing, for the box, in both languages: a text that lives as long as
  // the program.
  void Phase(const wchar_t* phase) { phase_.store(phase); }
  // The main window, once it exists.
  void Watch(HWND window) { window_.store(window); }

 private:
  static DWORD WINAPI Run(LPVOID self);

  std::atomic<HWND> window_{nullptr};
  DWORD limit_ms_;
  std::function<bool()> user_waits_;
  std::atomic<const wchar_t*> phase_{L""};
  HANDLE stop_ = nullptr;
  HANDLE thread_ = nullptr;
};

// Ends the process with `code` after `limit_ms` unless it has ended by then: once the
// message loop is over, everything is saved, and what is left (releasing windows, OLE and
// the system's libraries) must not keep a process without windows alive.
void EndProcessAfter(DWORD limit_ms, UINT code);

}  // namespace qrx
