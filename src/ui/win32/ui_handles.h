// Owners for the user-interface handles of the Win32 windows: each releases its handle once.
#pragma once

#include "platform/win32/win32_api.h"

#include <ole2.h>

#include <utility>

namespace qrx::win32 {

// A handle of type T released with `Release`; null means "none".
template <typename T, typename Release>
class Owned {
 public:
  Owned() = default;
  explicit Owned(T h) : h_(h) {}
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Owned(Owned&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other) {
      Reset();
      h_ = std::exchange(other.h_, nullptr);
    }
    return *this;
  }
  ~Owned() { Reset(); }

  T Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void Reset(T h = nullptr) {
    if (h_ != nullptr) Release()(h_);
    h_ = h;
  }

 private:
  T h_ = nullptr;
};

struct DeleteGdiObject {
  void operator()(HGDIOBJ h) const { ::DeleteObject(h); }
};
struct DestroyIconHandle {
  void operator()(HICON h) const { ::DestroyIcon(h); }
};

using Font = Owned<HFONT, DeleteGdiObject>;
using Bitmap = Owned<HBITMAP, DeleteGdiObject>;
using Icon = Owned<HICON, DestroyIconHandle>;

// The screen's device context for as long as it is needed.
class ScreenDc {
 public:
  ScreenDc() : dc_(::GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) ::ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// OLE for this thread (drag and drop needs it), from start to end of the program.
class OleSession {
 public:
  OleSession() : ok_(SUCCEEDED(::OleInitialize(nullptr))) {}
  ~OleSession() {
    if (ok_) ::OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_;
};

}  // namespace qrx::win32
