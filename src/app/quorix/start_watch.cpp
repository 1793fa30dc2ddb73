#include "app/quorix/start_watch.h"

#include <string>

namespace qrx {
namespace {

constexpr DWORD kLookMs = 100;

}  // namespace

StartWatch::StartWatch(DWORD limit_ms, const Win32UiHost& host)
    : limit_ms_(limit_ms), host_(host) {
  stop_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (stop_) thread_.Reset(::CreateThread(nullptr, 0, Run, this, 0, nullptr));
}

StartWatch::~StartWatch() {
  if (thread_) {
    ::SetEvent(stop_.Get());
    ::WaitForSingleObject(thread_.Get(), INFINITE);
  }
}

DWORD WINAPI StartWatch::Run(LPVOID param) {
  auto* self = static_cast<StartWatch*>(param);
  DWORD counted = 0;
  ULONGLONG last = ::GetTickCount64();
  for (;;) {
    if (self->host_.Shown()) return 0;
    const ULONGLONG now = ::GetTickCount64();
    // A box waiting for the user's OK is part of the start, however long it takes.
    if (!self->host_.BoxOpen()) counted += static_cast<DWORD>(now - last);
    last = now;
    if (counted >= self->limit_ms_) break;
    if (::WaitForSingleObject(self->stop_.Get(), kLookMs) == WAIT_OBJECT_0) return 0;
  }
  // Not from the catalogue: the start that should have read it is what does not go on.
  const std::wstring text =
      std::wstring(L"quorix のウィンドウを出せなかったので終了します。\n"
                   L"quorix could not show its window and ends.\n\n") +
      self->phase_.load();
  ::MessageBoxW(nullptr, text.c_str(), L"quorix",
                MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
  ::TerminateProcess(::GetCurrentProcess(), kStartFailed);
  return 0;
}

namespace {

struct EndOrder {
  DWORD limit_ms;
  UINT code;
};

DWORD WINAPI EndLater(LPVOID param) {
  const EndOrder order = *static_cast<EndOrder*>(param);
  delete static_cast<EndOrder*>(param);
  ::Sleep(order.limit_ms);
  ::TerminateProcess(::GetCurrentProcess(), order.code);
  return 0;
}

}  // namespace

void EndProcessAfter(DWORD limit_ms, UINT code) {
  auto* order = new EndOrder{limit_ms, code};
  // The thread runs on its own; its handle is not needed.
  const win32::ScopedHandle thread(::CreateThread(nullptr, 0, EndLater, order, 0, nullptr));
  if (!thread) delete order;
}

}  // namespace qrx
